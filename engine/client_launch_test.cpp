#include "engine/client_launch.h"

#include <gtest/gtest.h>

namespace {

TEST(IsFullDirectoryPath, OnlyDriveRootsAndSharesCount) {
  struct Case {
    const Utf16Char* directory;
    bool full;
  };
  const Case cases[] = {
      {U16("C:\\Program Files\\Bokrin\\"), true},
      {U16("d:/Apps/Bokrin/"), true},
      {U16("C:\\"), true},
      {U16("\\\\server\\share\\Bokrin\\"), true},
      {U16("\\\\?\\C:\\Apps\\Bokrin\\"), true},
      // Nothing recorded: the start would be "Bokrin.exe" alone.
      {U16(""), false},
      {U16("Bokrin\\"), false},
      {U16(".\\Bokrin\\"), false},
      {U16("..\\Bokrin\\"), false},
      // Rooted on whichever drive is current.
      {U16("\\Apps\\Bokrin\\"), false},
      {U16("/Apps/Bokrin/"), false},
      // Relative to the drive's current folder.
      {U16("C:Apps\\Bokrin\\"), false},
      {U16("C:"), false},
      {U16("1:\\Apps\\"), false},
      {U16("\\\\"), false},
      {U16("\\\\\\Apps\\"), false},
      {U16("阅:\\Apps\\"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsFullDirectoryPath(c.directory), c.full) << testing::PrintToString(WString(c.directory));
  }
}

}  // namespace
