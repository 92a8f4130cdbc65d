#include "engine/install_path_folders.h"

#include <gtest/gtest.h>

namespace {

TEST(FoldersToCheck, RunFromTheRootThroughTheInstallDirectoryIntoThePackage) {
  struct Case {
    const char* what;
    WString install_dir;
    std::vector<WString> entry_names;
    std::vector<WString> folders;
  };
  const Case cases[] = {
      {"a drive's folder, without entries",
       U16("C:\\Program Files\\Bokrin\\"),
       {},
       {U16("C:\\"), U16("C:\\Program Files\\"), U16("C:\\Program Files\\Bokrin\\")}},
      {"the drive's root itself", U16("D:\\"), {U16("Bokrin.exe")}, {U16("D:\\")}},
      {"forward slashes become backslashes",
       U16("d:/Apps/"),
       {U16("openglessl/shader.bin")},
       {U16("d:\\"), U16("d:\\Apps\\"), U16("d:\\Apps\\openglessl\\")}},
      {"a share's server and name are its root",
       U16("\\\\server\\share\\Bokrin\\"),
       {},
       {U16("\\\\server\\share\\"), U16("\\\\server\\share\\Bokrin\\")}},
      {"a long path's prefix and drive are its root",
       U16("\\\\?\\C:\\Bokrin\\"),
       {},
       {U16("\\\\?\\C:\\"), U16("\\\\?\\C:\\Bokrin\\")}},
      {"every folder an entry enters, once, in the order first named",
       U16("C:\\B\\"),
       {U16("Bokrin.exe"), U16("openglessl/"), U16("openglessl/a/b.txt"), U16("res\\x.png"), U16("openglessl/a/c.txt"),
        U16("openglessl\\")},
       {U16("C:\\"), U16("C:\\B\\"), U16("C:\\B\\openglessl\\"), U16("C:\\B\\openglessl\\a\\"),
        U16("C:\\B\\res\\")}},
      {"a path without a root starts at its first folder", U16("Bokrin\\"), {U16("x/y")},
       {U16("Bokrin\\"), U16("Bokrin\\x\\")}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoldersToCheck(c.install_dir, c.entry_names), c.folders) << c.what;
  }
}

}  // namespace
