#include "entry/system_check.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(IsSystemTooOld, AgreesWithReportedMajorVersion) {
  OSVERSIONINFOW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(GetVersionExW(&version));
  ASSERT_GE(version.dwMajorVersion, 6u) << "this prefix claims a system older than Vista";
  EXPECT_FALSE(IsSystemTooOld());
}

}  // namespace
