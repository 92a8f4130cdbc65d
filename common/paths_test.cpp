#include "common/paths.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"

namespace {

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WriteFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                attributes, nullptr));
  ASSERT_TRUE(file.IsValid());
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(file.Get(), "x", 1, &written, nullptr));
}

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.path().empty()); }
  const std::wstring& dir() const { return temp_.path(); }

 private:
  ScopedTempDir temp_;
};

TEST_F(PathsTest, CreateDirectoryTreeRefusesEmptyAndNull) {
  EXPECT_FALSE(CreateDirectoryTree(nullptr));
  EXPECT_FALSE(CreateDirectoryTree(L""));
}

TEST_F(PathsTest, CreateDirectoryTreeAcceptsRootsAndExistingPathsWithoutCreating) {
  EXPECT_TRUE(CreateDirectoryTree(L"C:\\"));
  const std::wstring file = dir() + L"file.txt";
  WriteFile(file);
  EXPECT_TRUE(CreateDirectoryTree(file.c_str()));
  EXPECT_FALSE(IsDirectory(file));
  EXPECT_TRUE(CreateDirectoryTree(dir().c_str()));
}

TEST_F(PathsTest, CreateDirectoryTreeCreatesEveryMissingLevel) {
  const std::wstring deepest = dir() + L"a\\b\\c\\";
  EXPECT_TRUE(CreateDirectoryTree(deepest.c_str()));
  EXPECT_TRUE(IsDirectory(dir() + L"a"));
  EXPECT_TRUE(IsDirectory(dir() + L"a\\b"));
  EXPECT_TRUE(IsDirectory(deepest));
}

TEST_F(PathsTest, CreateDirectoryTreeFailsUnderAFile) {
  const std::wstring file = dir() + L"file.txt";
  WriteFile(file);
  EXPECT_FALSE(CreateDirectoryTree((file + L"\\sub").c_str()));
}

TEST_F(PathsTest, CreateDirectoryTreeFailsForARelativeNameWithoutExistingAncestor) {
  const std::wstring name = L"bokrin_relative_" + std::to_wstring(GetTickCount()) + L"\\x";
  EXPECT_FALSE(CreateDirectoryTree(name.c_str()));
}

TEST_F(PathsTest, CreateDirectoryTreeRefusesPathsThatDoNotFitItsBufferAndCreatesNothing) {
  const std::wstring first_level = dir() + L"long";
  for (size_t length : {size_t{MAX_PATH}, size_t{MAX_PATH + 1}, size_t{1000}}) {
    std::wstring path = first_level;
    while (path.size() < length) path += L"\\segment";
    path.resize(length, L'x');
    EXPECT_FALSE(CreateDirectoryTree(path.c_str())) << length;
    EXPECT_FALSE(IsDirectory(first_level)) << length;
  }
}

TEST_F(PathsTest, PathExistsTellsFilesFromDirectories) {
  const std::wstring file = dir() + L"file.txt";
  WriteFile(file);
  EXPECT_TRUE(PathExists(file, false));
  EXPECT_FALSE(PathExists(file, true));
  EXPECT_TRUE(PathExists(dir(), true));
  EXPECT_TRUE(PathExists(dir(), false));
  EXPECT_FALSE(PathExists(dir() + L"missing", false));
  EXPECT_FALSE(PathExists(dir() + L"missing", true));
}

TEST_F(PathsTest, ForceDeleteFileDeletesReadOnlyFiles) {
  const std::wstring file = dir() + L"locked.txt";
  WriteFile(file, FILE_ATTRIBUTE_READONLY);
  ASSERT_FALSE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(ForceDeleteFile(file.c_str()));
  EXPECT_FALSE(PathExists(file, false));
}

TEST_F(PathsTest, ForceDeleteFileOnAMissingFileIsFalse) {
  EXPECT_FALSE(ForceDeleteFile((dir() + L"missing.txt").c_str()));
}

struct UserDirCase {
  const char* name;
  std::wstring (*get)();
  int csidl;
  const wchar_t* suffix;
};

class UserDirTest : public ::testing::TestWithParam<UserDirCase> {};

// The folder is expected in the short form that GetShortPathNameW gives, followed by the
// product's sub-directory, and that directory exists afterwards.
TEST_P(UserDirTest, IsTheShortFolderPathWithItsSubDirectoryAndExists) {
  const UserDirCase& c = GetParam();
  wchar_t folder[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, c.csidl, nullptr, SHGFP_TYPE_CURRENT, folder));
  wchar_t short_folder[MAX_PATH] = {};
  ASSERT_NE(0u, GetShortPathNameW(folder, short_folder, MAX_PATH));
  const std::wstring expected = std::wstring(short_folder) + c.suffix;

  // Removed only when empty: the local "Temp" directory may be the system's temporary one.
  RemoveDirectoryW(expected.c_str());
  EXPECT_EQ(expected, c.get());
  EXPECT_TRUE(PathExists(expected, true));
  EXPECT_EQ(expected, c.get());
}

INSTANTIATE_TEST_SUITE_P(
    PerUser, UserDirTest,
    ::testing::Values(UserDirCase{"AppData", &GetAppDataDir, CSIDL_APPDATA, L"\\Bokrin\\"},
                      UserDirCase{"LocalTemp", &GetLocalTempDir, CSIDL_LOCAL_APPDATA, L"\\Temp\\"}),
    [](const ::testing::TestParamInfo<UserDirCase>& info) { return info.param.name; });

}  // namespace
