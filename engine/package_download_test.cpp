#include "engine/package_download.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/zip_writer.h"

namespace {

// What FSCTL_SET_REPARSE_POINT takes for a junction (mingw's headers lack the structure).
struct MountPointBuffer {
  DWORD tag;
  WORD data_length;
  WORD reserved;
  WORD substitute_offset;
  WORD substitute_length;
  WORD print_offset;
  WORD print_length;
  wchar_t paths[512];
};

// Makes `link` (a new, empty folder) a junction to the folder `target`.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  const ScopedHandle folder(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) return false;
  const std::wstring substitute = L"\\??\\" + target;
  MountPointBuffer buffer = {};
  buffer.tag = IO_REPARSE_TAG_MOUNT_POINT;
  buffer.substitute_offset = 0;
  buffer.substitute_length = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
  buffer.print_offset = static_cast<WORD>(buffer.substitute_length + sizeof(wchar_t));
  buffer.print_length = static_cast<WORD>(target.size() * sizeof(wchar_t));
  substitute.copy(buffer.paths, substitute.size());
  target.copy(buffer.paths + substitute.size() + 1, target.size());
  buffer.data_length = static_cast<WORD>(8 + buffer.print_offset + buffer.print_length + sizeof(wchar_t));
  DWORD returned = 0;
  return DeviceIoControl(folder.Get(), FSCTL_SET_REPARSE_POINT, &buffer, 8 + buffer.data_length, nullptr, 0,
                         &returned, nullptr) != FALSE;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool IsLink(const std::wstring& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Wine 8 makes neither junctions (ERROR_NOT_SUPPORTED) nor symbolic links (it reports success
// and makes nothing); where no link can be made, the tests that need one are skipped.
constexpr char kNoLinks[] = "this system makes no links";

bool IsRealFolder(const std::wstring& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

class PackagePlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    folder_ = temp_.path() + L"BokrinInstallZip";
    package_ = folder_ + L"\\Bokrin.zip";
    elsewhere_ = temp_.path() + L"elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere_.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(elsewhere_ + L"\\Bokrin.zip", "someone else's file"));
  }

  ScopedTempDir temp_;
  std::wstring folder_;
  std::wstring package_;
  std::wstring elsewhere_;
};

TEST_F(PackagePlaceTest, MakesTheFolderAndAnEmptyFile) {
  PackagePlace place;
  ASSERT_TRUE(PreparePackagePlace(package_, &place));
  EXPECT_TRUE(IsRealFolder(folder_));
  EXPECT_EQ(ReadFileBytes(package_), "");
}

// A junction in place of the package folder would make the elevated installer write wherever
// it points.
TEST_F(PackagePlaceTest, AJunctionAsThePackageFolderIsReplacedByAFolder) {
  if (!MakeJunction(folder_, elsewhere_)) {
    RemoveDirectoryW(folder_.c_str());
    GTEST_SKIP() << kNoLinks << " (junction: error " << GetLastError() << ")";
  }
  ASSERT_TRUE(IsLink(folder_));

  PackagePlace place;
  ASSERT_TRUE(PreparePackagePlace(package_, &place));
  EXPECT_TRUE(IsRealFolder(folder_));
  EXPECT_EQ(ReadFileBytes(package_), "");
  EXPECT_EQ(ReadFileBytes(elsewhere_ + L"\\Bokrin.zip"), "someone else's file");
}

TEST_F(PackagePlaceTest, APackageFileThatIsALinkIsReplacedByAFile) {
  ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  CreateSymbolicLinkW(package_.c_str(), (elsewhere_ + L"\\Bokrin.zip").c_str(), 0);
  if (!IsLink(package_)) GTEST_SKIP() << kNoLinks << " (symbolic link)";

  PackagePlace place;
  ASSERT_TRUE(PreparePackagePlace(package_, &place));
  EXPECT_FALSE(IsLink(package_));
  EXPECT_EQ(ReadFileBytes(package_), "");
  EXPECT_EQ(ReadFileBytes(elsewhere_ + L"\\Bokrin.zip"), "someone else's file");
}

// A hard link would be written through to the file it shares its data with.
TEST_F(PackagePlaceTest, AnEarlierPackageFileIsDeletedNotWrittenThrough) {
  ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  ASSERT_TRUE(CreateHardLinkW(package_.c_str(), (elsewhere_ + L"\\Bokrin.zip").c_str(), nullptr)) << GetLastError();

  PackagePlace place;
  ASSERT_TRUE(PreparePackagePlace(package_, &place));
  const ScopedHandle writer(CreateFileW(package_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(writer);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(writer.Get(), "download", 8, &written, nullptr));
  EXPECT_EQ(ReadFileBytes(elsewhere_ + L"\\Bokrin.zip"), "someone else's file");
}

// While the body arrives, the download writes the file by its name; nobody can put another
// file or folder in their place meanwhile.
TEST_F(PackagePlaceTest, WhileHeldThePlaceCannotBeSwapped) {
  PackagePlace place;
  ASSERT_TRUE(PreparePackagePlace(package_, &place));
  const std::wstring planted = temp_.path() + L"planted.zip";
  ASSERT_TRUE(WriteFileBytes(planted, "planted"));

  EXPECT_FALSE(MoveFileExW(planted.c_str(), package_.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(DeleteFileW(package_.c_str()));
  EXPECT_FALSE(MoveFileExW(folder_.c_str(), (temp_.path() + L"moved").c_str(), 0));
  EXPECT_TRUE(IsRealFolder(folder_));

  // The download's own writing by name still works, into the held file.
  ASSERT_TRUE(WriteFileBytes(package_, "the body"));
  EXPECT_EQ(ReadFileBytes(package_), "the body");
  EXPECT_EQ(ReadFileBytes(planted), "planted");
}

}  // namespace
