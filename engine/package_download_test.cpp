#include "engine/package_download.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"
#include "common/testing/zip_writer.h"
#include "common/text_convert.h"
#include "engine/testing/report_lines.h"
#include "tools/services/service_control.h"

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
  EXPECT_EQ(place.path, package_);
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

// Downloads from the local services, whose package body breaks once on the way (break-once).

constexpr size_t kMiB = 1048576;

std::string PatternBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<char>(seed >> 16);
  }
  return bytes;
}

Md5Digest DigestOf(const std::string& bytes) {
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.Finish();
}

enum class Ending { kThePackage, kTheOtherFile, kTheKeptBytes };

struct ResumeCase {
  const char* name;
  const char* options;  // of the break-once mode, after "after=N"
  bool succeeds;
  Ending file;
  // A folder has the package's name, so that every attempt goes to a fresh one beside it.
  bool name_taken = false;
};

class ResumedDownloadTest : public testing::TestWithParam<ResumeCase> {
 protected:
  // The setup log, which tells why an attempt ended, goes to a folder of this test's own.
  static void SetUpTestSuite() {
    log_path_ = OpenOwnSetupLog(L"package_download_test");
  }

  static std::wstring log_path_;
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(services::Reset());
    ASSERT_TRUE(WriteFileBytes(services::StateDir() + "\\packages\\resumed.zip", package_));
    ASSERT_TRUE(WriteFileBytes(services::StateDir() + "\\packages\\changed.zip", changed_));
  }

  // The package host's resumed.zip into `folder`\Bokrin.zip, or the fresh name it gives way to.
  static DownloadOutcome DownloadInto(const std::wstring& folder, RecordingObserver& observer, std::wstring* path,
                                      Md5Digest* digest) {
    int32_t last_progress = 0;
    int64_t last_unsized_megabytes = -1;
    const StopRequest go_on;
    return DownloadPackage(observer, DownloadShown{&last_progress, &last_unsized_megabytes},
                           "https://localhost/packages/resumed.zip", WideToCodePage(CP_ACP, folder + L"Bokrin.zip"), 0,
                           path, digest, go_on);
  }

  ScopedTempDir temp_;
  const std::string package_ = PatternBytes(3 * kMiB, 1);
  const std::string changed_ = PatternBytes(2 * kMiB + 1000, 2);
};

std::wstring ResumedDownloadTest::log_path_;

TEST_P(ResumedDownloadTest, TheSecondAttemptAsksForTheRestAndTheFileEndsWhole) {
  const ResumeCase& c = GetParam();
  const size_t break_after = package_.size() * 6 / 10;
  ASSERT_TRUE(services::Control("POST", "/mode?service=package&variant=break-once&after=" +
                                            std::to_string(break_after) + c.options));

  const std::wstring folder = temp_.path() + L"BokrinInstallZip\\";
  if (c.name_taken) {
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"Bokrin.zip").c_str(), nullptr));
  }
  RecordingObserver observer;
  std::wstring path;
  Md5Digest digest = {};
  const DownloadOutcome outcome = DownloadInto(folder, observer, &path, &digest);
  ASSERT_EQ(outcome, c.succeeds ? DownloadOutcome::kReceived : DownloadOutcome::kFailed) << ReadFileBytes(log_path_);
  EXPECT_EQ(path, folder + (c.name_taken ? L"Bokrin-1.zip" : L"Bokrin.zip"));

  // The retry went through HTTP DNS, asking for the rest of what the first attempt kept.
  const std::string request = services::LastRequest("package");
  const size_t range = request.find("Range: bytes=");
  ASSERT_NE(range, std::string::npos) << request;
  const size_t kept = std::strtoull(request.c_str() + range + 13, nullptr, 10);
  EXPECT_GT(kept, 0u) << request;
  EXPECT_LE(kept, break_after) << request;
  EXPECT_NE(request.find("If-Range: \""), std::string::npos) << request;
  EXPECT_NE(request.find("Host: localhost"), std::string::npos) << request;
  EXPECT_EQ(request.find("GET /packages/resumed.zip"), 0u) << request;

  const std::string file = ReadFileBytes(path);
  switch (c.file) {
    case Ending::kThePackage:
      EXPECT_TRUE(file == package_) << file.size() << " bytes";
      // The rest only, not the whole file again.
      EXPECT_LE(services::PackageBytesServed(), static_cast<long long>(package_.size() * 11 / 10));
      break;
    case Ending::kTheOtherFile:
      EXPECT_TRUE(file == changed_) << file.size() << " bytes";
      break;
    case Ending::kTheKeptBytes:
      EXPECT_TRUE(file == package_.substr(0, kept)) << file.size() << " bytes";
      break;
  }
  if (c.succeeds) EXPECT_TRUE(digest == DigestOf(file));

  // The page never runs backwards, whatever the second reply was.
  std::vector<long> values;
  for (const std::wstring& line : observer.lines()) {
    if (line.compare(0, 9, L"PROGRESS ") == 0) values.push_back(std::wcstol(line.c_str() + 9, nullptr, 10));
  }
  ASSERT_FALSE(values.empty());
  for (size_t i = 1; i < values.size(); ++i) EXPECT_GT(values[i], values[i - 1]) << i;
  if (c.succeeds) {
    EXPECT_EQ(values.back(), 799);
    const std::wstring total = file.size() == package_.size() ? L"3.00" : L"2.00";
    EXPECT_EQ(observer.lines().back(), L"STATUS 正在下载，请稍候...(已下载：" + total + L" MB 共：" + total + L" MB)");
  }
}

// A size that no disk holds ends the download at the first reply's headers: no byte is
// written and no further attempt is made.
TEST_F(ResumedDownloadTest, APackageWithoutRoomIsNotTriedAgain) {
  ASSERT_TRUE(services::SetMode("package", "huge-length"));
  const std::wstring folder = temp_.path() + L"BokrinInstallZip\\";
  RecordingObserver observer;
  std::wstring path;
  Md5Digest digest = {};
  const DownloadOutcome outcome = DownloadInto(folder, observer, &path, &digest);
  EXPECT_EQ(outcome, DownloadOutcome::kNoRoom) << ReadFileBytes(log_path_);
  EXPECT_EQ(services::Requests("package"), 1);
  EXPECT_EQ(ReadFileBytes(path), "");
  EXPECT_TRUE(observer.lines().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, ResumedDownloadTest,
    testing::Values(ResumeCase{"ContinuedWithTheRest", "", true, Ending::kThePackage},
                    // The If-Range no longer holds: the server sends the new file, which replaces
                    // the kept bytes.
                    ResumeCase{"ChangedFileStartsOver", "&then=changed.zip", true, Ending::kTheOtherFile},
                    // A 206 that does not go on at the kept end fails its attempt; nothing is appended.
                    ResumeCase{"WrongContentRangeFails", "&range=wrong", false, Ending::kTheKeptBytes},
                    ResumeCase{"ContinuedUnderAFreshName", "", true, Ending::kThePackage, true}),
    [](const testing::TestParamInfo<ResumeCase>& info) { return std::string(info.param.name); });

// A name that cannot be used, a folder or a file another program holds open, is passed over
// for a fresh one beside it, and left as it is; one name too many blocked fails.
TEST_F(PackagePlaceTest, AnUnusableNameIsPassedOverForAFreshOne) {
  enum class Block { kFolder, kHeldFile };
  struct Case {
    const char* what;
    std::vector<std::pair<const wchar_t*, Block>> blocked;
    const wchar_t* expected;
  };
  const Case kCases[] = {
      {"a folder", {{L"Bokrin.zip", Block::kFolder}}, L"Bokrin-1.zip"},
      {"a held file", {{L"Bokrin.zip", Block::kHeldFile}}, L"Bokrin-1.zip"},
      {"the fresh name blocked too", {{L"Bokrin.zip", Block::kHeldFile}, {L"Bokrin-1.zip", Block::kFolder}},
       L"Bokrin-2.zip"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir temp;
    ASSERT_FALSE(temp.path().empty());
    const std::wstring folder = temp.path() + L"BokrinInstallZip\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::vector<ScopedHandle> holders;
    for (const auto& block : c.blocked) {
      const std::wstring path = folder + block.first;
      if (block.second == Block::kFolder) {
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
        continue;
      }
      ASSERT_TRUE(WriteFileBytes(path, "an earlier package"));
      holders.emplace_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(holders.back());
    }

    PackagePlace place;
    ASSERT_TRUE(PreparePackagePlace(folder + L"Bokrin.zip", &place));
    EXPECT_EQ(place.path, folder + c.expected);
    EXPECT_EQ(ReadFileBytes(place.path), "");
    for (const auto& block : c.blocked) {
      const std::wstring path = folder + block.first;
      if (block.second == Block::kFolder) {
        EXPECT_TRUE(IsRealFolder(path));
      } else {
        EXPECT_EQ(ReadFileBytes(path), "an earlier package");
      }
    }
  }
}

TEST_F(PackagePlaceTest, FailsWhenEveryNameIsBlocked) {
  ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(package_.c_str(), nullptr));
  for (int i = 1; i < 10; ++i) {
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\Bokrin-" + std::to_wstring(i) + L".zip").c_str(), nullptr));
  }
  PackagePlace place;
  EXPECT_FALSE(PreparePackagePlace(package_, &place));
  EXPECT_FALSE(place.file);
}

}  // namespace
