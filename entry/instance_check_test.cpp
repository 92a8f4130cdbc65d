#include "entry/instance_check.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// A top-level window as an open wizard leaves it: the "BokrinInstall" property set.
class OtherWizard : public testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"BokrinInstall", WS_OVERLAPPEDWINDOW, 100, 100, 300,
                              200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    RemovePropW(window_, L"BokrinInstall");
    DestroyWindow(window_);
  }

  HWND window_ = nullptr;
};

TEST_F(OtherWizard, WithoutPropertyWizardMayOpen) {
  ShowWindow(window_, SW_SHOW);
  EXPECT_TRUE(FindRunningWizard());
}

TEST_F(OtherWizard, MinimisedWizardIsRestoredAndNoSecondOpens) {
  ASSERT_TRUE(SetPropW(window_, L"BokrinInstall", reinterpret_cast<HANDLE>(1)));
  ShowWindow(window_, SW_SHOWMINIMIZED);
  ASSERT_TRUE(IsIconic(window_));

  EXPECT_FALSE(FindRunningWizard());
  EXPECT_FALSE(IsIconic(window_));
  EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(OtherWizard, HiddenWizardIsFoundToo) {
  ASSERT_TRUE(SetPropW(window_, L"BokrinInstall", reinterpret_cast<HANDLE>(1)));
  EXPECT_FALSE(FindRunningWizard());
}

// The silent run's question leaves a minimised wizard as it is.
TEST_F(OtherWizard, OpenWizardIsSeenWithoutBeingBroughtForward) {
  ShowWindow(window_, SW_SHOWMINIMIZED);
  EXPECT_FALSE(IsWizardOpen());
  ASSERT_TRUE(SetPropW(window_, L"BokrinInstall", reinterpret_cast<HANDLE>(1)));
  EXPECT_TRUE(IsWizardOpen());
  EXPECT_TRUE(IsIconic(window_));
}

// One run holds the lock at a time; it is free again once its holder lets it go.
TEST(InstallerLock, IsHeldByOneRunAtATime) {
  ScopedHandle first;
  ASSERT_TRUE(TakeInstallerLock(first));
  ASSERT_TRUE(first.IsValid());
  ScopedHandle second;
  EXPECT_FALSE(TakeInstallerLock(second));
  EXPECT_FALSE(second.IsValid());
  first.Reset();
  EXPECT_TRUE(TakeInstallerLock(second));
  EXPECT_TRUE(second.IsValid());
}

}  // namespace
