#include "engine/install_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/install_messages.h"
#include "engine/testing/message_sink_window.h"

namespace {

constexpr uint32_t kMiB = 1048576;

// The engine's download reporting as the wizard window receives it.
class DownloadReportingTest : public testing::Test {
 protected:
  DownloadReportingTest() : app_(sink_.hwnd(), L"", L"") {}

  std::vector<PostedMessage> Feed(uint32_t received, uint32_t total) {
    app_.OnDownloadProgress(0, received, total, 0);
    return Take();
  }
  std::vector<PostedMessage> Take() {
    const size_t before = sink_.messages().size();
    sink_.Drain();
    return std::vector<PostedMessage>(sink_.messages().begin() + static_cast<std::ptrdiff_t>(before),
                                      sink_.messages().end());
  }

  MessageSinkWindow sink_;
  InstallApp app_;
};

TEST_F(DownloadReportingTest, PostsTheValueAndANarrowSizeTextThatReadsBackAsChinese) {
  const std::vector<PostedMessage> posted = Feed(2 * kMiB, 2 * kMiB);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, WM_INSTALL_PROGRESS);
  EXPECT_EQ(posted[0].value, 799);
  EXPECT_EQ(posted[1].message, WM_INSTALL_STATUS);
  EXPECT_EQ(posted[1].wparam, kStatusNarrow936);
  EXPECT_EQ(posted[1].text, L"正在下载，请稍候...(已下载：2.00 MB 共：2.00 MB)");
  EXPECT_EQ(app_.m_nLastProgress, 799);
}

TEST_F(DownloadReportingTest, RepeatedValueAndFailedAttemptPostNothing) {
  ASSERT_EQ(Feed(4096, 2 * kMiB).size(), 2u);
  EXPECT_TRUE(Feed(4500, 2 * kMiB).empty());
  app_.OnDownloadProgress(-2, 0, 0, -2);
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(app_.m_nLastProgress, 101);
}

TEST_F(DownloadReportingTest, WithoutASizeOnlyTheReceivedAmountIsShown) {
  const std::vector<PostedMessage> posted = Feed(kMiB + 4096, 0);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_INSTALL_STATUS);
  EXPECT_EQ(posted[0].text, L"正在下载，请稍候...(已下载：1.00 MB)");
  EXPECT_TRUE(Feed(kMiB + 8192, 0).empty());
  EXPECT_EQ(app_.m_nLastProgress, 0);
}

}  // namespace
