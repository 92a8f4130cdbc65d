#include "engine/download_progress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kMiB = 1048576;

struct ValueCase {
  uint32_t received;
  uint32_t total;
  int32_t value;
};

class DownloadProgressValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(DownloadProgressValueTest, Is100PlusTheShareOver1Point4286Truncated) {
  EXPECT_EQ(DownloadProgressValue(GetParam().received, GetParam().total), GetParam().value)
      << GetParam().received << "/" << GetParam().total;
}

INSTANTIATE_TEST_SUITE_P(
    Shares, DownloadProgressValueTest,
    testing::Values(ValueCase{0, 100, 100}, ValueCase{4096, 2 * kMiB, 101},
                    ValueCase{kMiB, 2 * kMiB, 449}, ValueCase{2 * kMiB, 2 * kMiB, 799},
                    ValueCase{1, 1, 799},
                    // Both counts are unsigned: beyond 2 GiB the share is still right.
                    ValueCase{0xFFFFFFFFu, 0xFFFFFFFFu, 799}, ValueCase{0x80000000u, 0xFFFFFFFFu, 449},
                    // A body longer than announced stays below the download's milestone 800,
                    // which follows it.
                    ValueCase{2 * kMiB + 1, 2 * kMiB, 799}, ValueCase{3 * kMiB, 2 * kMiB, 799},
                    ValueCase{3000, 1, 799}, ValueCase{0xFFFFFFFFu, 1, 799}));

TEST(DownloadStatusTextTest, ShowsBothAmountsInMegabytesWithTwoDecimals) {
  EXPECT_EQ(DownloadStatusText(2 * kMiB, 2 * kMiB), U16("正在下载，请稍候...(已下载：2.00 MB 共：2.00 MB)"));
  EXPECT_EQ(DownloadStatusText(4096, 256 * kMiB), U16("正在下载，请稍候...(已下载：0.00 MB 共：256.00 MB)"));
  EXPECT_EQ(DownloadStatusText(kMiB + kMiB / 2, 0xFFFFFFFFu),
            U16("正在下载，请稍候...(已下载：1.50 MB 共：4096.00 MB)"));
}

TEST(DownloadStatusTextTest, WithoutATotalShowsTheReceivedAmountOnly) {
  EXPECT_EQ(DownloadStatusText(3 * kMiB + 10486, 0), U16("正在下载，请稍候...(已下载：3.01 MB)"));
}

// Feeds a body in chunks the way the transfer announces them and keeps what is posted.
class DownloadReportTest : public testing::Test {
 protected:
  bool Feed(uint32_t received, uint32_t total) {
    DownloadReport report;
    if (!NextDownloadReport(received, total, DownloadShown{&last_progress_, &last_megabytes_}, &report)) {
      return false;
    }
    reports_.push_back(report);
    return true;
  }
  void FeedBody(uint32_t size, uint32_t announced_total, uint32_t chunk) {
    for (uint32_t received = 0; received < size;) {
      received += (size - received < chunk) ? size - received : chunk;
      Feed(received, announced_total);
    }
  }

  int32_t last_progress_ = 0;
  int64_t last_megabytes_ = -1;
  std::vector<DownloadReport> reports_;
};

TEST_F(DownloadReportTest, TwoMegabyteBodyEndsAt799WithBothAmounts) {
  FeedBody(2 * kMiB, 2 * kMiB, 4096);
  ASSERT_FALSE(reports_.empty());
  EXPECT_TRUE(reports_.back().has_progress);
  EXPECT_EQ(reports_.back().progress, 799);
  EXPECT_EQ(reports_.back().status, U16("正在下载，请稍候...(已下载：2.00 MB 共：2.00 MB)"));
  EXPECT_EQ(last_progress_, 799);
  // 4096-byte chunks move the value by more than one each, so every chunk posts.
  EXPECT_EQ(reports_.size(), 512u);
}

TEST_F(DownloadReportTest, SmallChunksPostEveryValueOnceInOrder) {
  FeedBody(2 * kMiB, 2 * kMiB, 1000);
  ASSERT_EQ(reports_.size(), 700u);
  for (size_t i = 0; i < reports_.size(); ++i) {
    ASSERT_EQ(reports_[i].progress, 100 + static_cast<int32_t>(i));
  }
}

TEST_F(DownloadReportTest, UnchangedValueProducesNothing) {
  ASSERT_TRUE(Feed(4096, 2 * kMiB));
  EXPECT_FALSE(Feed(4500, 2 * kMiB));
  EXPECT_FALSE(Feed(4500, 2 * kMiB));
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(last_progress_, 101);
}

TEST_F(DownloadReportTest, AnAttemptThatStartsOverPostsNothingUntilItPassesTheLastValue) {
  FeedBody(kMiB, 2 * kMiB, 4096);  // first attempt breaks off at half the body
  ASSERT_EQ(last_progress_, 449);
  reports_.clear();
  FeedBody(2 * kMiB, 2 * kMiB, 4096);  // the server sends the whole file again
  ASSERT_FALSE(reports_.empty());
  // The first report is of the first chunk past the half.
  EXPECT_EQ(reports_.front().progress, DownloadProgressValue(kMiB + 4096, 2 * kMiB));
  EXPECT_EQ(reports_.front().status, DownloadStatusText(kMiB + 4096, 2 * kMiB));
  EXPECT_EQ(reports_.back().progress, 799);
}

TEST_F(DownloadReportTest, AResumedAttemptGoesOnFromTheValueShown) {
  FeedBody(kMiB, 2 * kMiB, 4096);
  reports_.clear();
  // The rest, announced as the whole amounts: kept bytes plus those of the new reply.
  for (uint32_t received = kMiB + 4096; received <= 2 * kMiB; received += 4096) Feed(received, 2 * kMiB);
  ASSERT_FALSE(reports_.empty());
  EXPECT_EQ(reports_.front().progress, DownloadProgressValue(kMiB + 4096, 2 * kMiB));
  for (size_t i = 1; i < reports_.size(); ++i) EXPECT_GT(reports_[i].progress, reports_[i - 1].progress);
  EXPECT_EQ(reports_.back().progress, 799);
}

TEST_F(DownloadReportTest, WithoutATotalAnAttemptThatStartsOverShowsNoSmallerAmount) {
  FeedBody(2 * kMiB + 100, 0, 4096);
  reports_.clear();
  FeedBody(3 * kMiB + 100, 0, 4096);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_.front().status, U16("正在下载，请稍候...(已下载：3.00 MB)"));
}

TEST_F(DownloadReportTest, WithoutATotalReportsTheAmountOncePerMegabyteAndNoProgress) {
  FeedBody(3 * kMiB + 100, 0, 4096);
  ASSERT_EQ(reports_.size(), 4u);  // at 0, 1, 2 and 3 megabytes
  for (const DownloadReport& r : reports_) EXPECT_FALSE(r.has_progress);
  EXPECT_EQ(reports_.front().status, U16("正在下载，请稍候...(已下载：0.00 MB)"));
  EXPECT_EQ(reports_[1].status, U16("正在下载，请稍候...(已下载：1.00 MB)"));
  EXPECT_EQ(reports_.back().status, U16("正在下载，请稍候...(已下载：3.00 MB)"));
  EXPECT_EQ(last_progress_, 0);
}

}  // namespace
