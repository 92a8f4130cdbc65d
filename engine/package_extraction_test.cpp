#include "engine/package_extraction.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"
#include "engine/install_messages.h"
#include "engine/testing/folder_security.h"
#include "engine/testing/message_sink_window.h"
#include "common/testing/zip_writer.h"
#include "engine/window_install_observer.h"
#include "identity/md5.h"

namespace {

const wchar_t kUnreadableStatus[] = L"打开压缩包失败，请重新下载！";
const wchar_t kUnreadableError[] = L"下载失败，请检查网络后重新下载！";
const wchar_t kNoSpaceStatus[] = L"磁盘空间不足，无法解压安装包！";
const wchar_t kNoSpaceError[] = L"安装目录所在磁盘空间不足，请清理磁盘或更换安装目录后重试！";
const wchar_t kReplaceFailedText[] = L"文件替换失败，请退出Bokrin阅读客户端后再试！";
const wchar_t kReplaceFailedError[] = L"请退出“Bokrin阅读”后重新安装";

// Names directly inside `directory` (no "." or "..").
std::set<std::wstring> Listing(const std::wstring& directory) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  const ScopedFindHandle find(FindFirstFileW((directory + L"*").c_str(), &found));
  if (!find) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  } while (FindNextFileW(find.Get(), &found));
  return names;
}

Md5Digest DigestOf(const std::string& bytes) {
  Md5 md5;
  md5.Update(bytes.data(), bytes.size());
  return md5.Finish();
}

// The client first, then numbered files.
std::vector<ZipEntrySpec> NumberedFiles(int count) {
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < count; ++i) {
    ZipEntrySpec entry{i == 0 ? "Bokrin.exe" : "f" + std::to_string(i) + ".txt", std::to_string(i)};
    entry.deflate = false;
    entries.push_back(entry);
  }
  return entries;
}

// Everything but the progress values, which the tests check on their own.
std::vector<PostedMessage> Reports(const MessageSinkWindow& sink) {
  std::vector<PostedMessage> reports;
  for (const PostedMessage& m : sink.messages()) {
    if (m.message != WM_INSTALL_PROGRESS) reports.push_back(m);
  }
  return reports;
}

// A refusal before anything is written: its status line and its error, which sends the user back
// to the first page, and no progress.
void ExpectRefusalReported(const MessageSinkWindow& sink, const std::wstring& status, const std::wstring& error) {
  const std::vector<PostedMessage> reports = Reports(sink);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].message, WM_INSTALL_STATUS);
  EXPECT_EQ(reports[0].wparam, kStatusWide);
  EXPECT_EQ(reports[0].text, status);
  EXPECT_EQ(reports[1].message, WM_INSTALL_ERROR);
  EXPECT_EQ(reports[1].wparam, kErrorBackToStart);
  EXPECT_EQ(reports[1].text, error);
  EXPECT_TRUE(sink.ProgressValues().empty());
}

void ExpectUnreadablePackageReported(const MessageSinkWindow& sink) {
  ExpectRefusalReported(sink, kUnreadableStatus, kUnreadableError);
}

void ExpectUnwritableFileReported(const MessageSinkWindow& sink, const std::wstring& target) {
  const std::vector<PostedMessage> reports = Reports(sink);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].message, WM_INSTALL_STATUS);
  EXPECT_EQ(reports[0].wparam, kStatusNarrow936);
  EXPECT_EQ(reports[0].text, target + kReplaceFailedText);
  EXPECT_EQ(reports[1].message, WM_INSTALL_ERROR);
  EXPECT_EQ(reports[1].wparam, kErrorQuit);
  EXPECT_EQ(reports[1].text, kReplaceFailedError);
}

class PackageExtractionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    install_dir_ = temp_.path() + L"Bokrin\\";
    ASSERT_TRUE(CreateDirectoryW(install_dir_.c_str(), nullptr));
  }

  // Writes the package as the download would and keeps its digest for the extraction.
  std::wstring WritePackageBytes(const std::string& bytes) {
    const std::wstring path = temp_.path() + L"Bokrin.zip";
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    downloaded_ = DigestOf(bytes);
    return path;
  }

  std::wstring WritePackage(const std::vector<ZipEntrySpec>& entries) { return WritePackageBytes(BuildZip(entries)); }

  bool Extract(const std::wstring& package, const std::wstring& install_dir) {
    return ExtractInto(&sink_, package, install_dir);
  }

  bool ExtractInto(MessageSinkWindow* sink, const std::wstring& package, const std::wstring& install_dir) {
    WindowInstallObserver window(sink->hwnd());
    const StopRequest go_on;
    return ExtractReportingTo(window, go_on, sink, package, install_dir) == ExitCode::kInstalled;
  }

  ExitCode ExtractReportingTo(InstallObserver& observer, const StopRequest& stop, MessageSinkWindow* sink,
                              const std::wstring& package, const std::wstring& install_dir) {
    // The installation's registration would follow; the tests look at what the user keeps.
    RollbackJournal journal;
    const ExitCode result = ExtractPackage(observer, package, install_dir, downloaded_, journal, stop);
    if (result == ExitCode::kInstalled) journal.Commit();
    sink->Drain();
    return result;
  }

  ScopedTempDir temp_;
  Md5Digest downloaded_ = {};
  std::wstring install_dir_;
  MessageSinkWindow sink_;
};

TEST_F(PackageExtractionTest, UnpacksFilesAndDirectoriesIntoNewDirectories) {
  ZipEntrySpec directory{"skin/", ""};
  directory.version_made_by = 0x031E;
  directory.external_attributes = 0x41ED0010;
  ZipEntrySpec hidden{"skin/x/y/theme.xml", "<skin/>"};
  hidden.version_made_by = 0x0B14;
  hidden.external_attributes = FILE_ATTRIBUTE_HIDDEN;
  const std::wstring package = WritePackage({{"Bokrin.exe", "MZ program"}, directory, hidden, {"empty/", ""}});
  // The trailing separator is added when missing.
  std::wstring without_separator = install_dir_;
  without_separator.pop_back();

  ASSERT_TRUE(Extract(package, without_separator));
  EXPECT_TRUE(Reports(sink_).empty());
  EXPECT_EQ(sink_.ProgressValues(), (std::vector<LPARAM>{801, 802, 803, 804}));
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"Bokrin.exe"), "MZ program");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"skin\\x\\y\\theme.xml"), "<skin/>");
  EXPECT_NE(GetFileAttributesW((install_dir_ + L"skin\\x\\y\\theme.xml").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_NE(GetFileAttributesW((install_dir_ + L"empty").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// Windows refuses to overwrite a read-only file, and a hidden or system one with attributes
// that lack those; an earlier installation's file is replaced all the same.
TEST_F(PackageExtractionTest, ReplacesEarlierFilesWhateverTheirAttributesAndKeepsFilesThePackageLacks) {
  const DWORD kCases[] = {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                          FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
  const std::wstring package = WritePackage({{"Bokrin.exe", "new version"}, {"skin/", ""}});
  for (const DWORD attributes : kCases) {
    SCOPED_TRACE(attributes);
    const std::wstring client = install_dir_ + L"Bokrin.exe";
    SetFileAttributesW(client.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteFileBytes(client, "old version"));
    ASSERT_TRUE(SetFileAttributesW(client.c_str(), attributes));
    // A file where the package now has a folder.
    RemoveDirectoryW((install_dir_ + L"skin").c_str());
    ASSERT_TRUE(WriteFileBytes(install_dir_ + L"skin", "old file"));
    ASSERT_TRUE(SetFileAttributesW((install_dir_ + L"skin").c_str(), attributes));
    ASSERT_TRUE(WriteFileBytes(install_dir_ + L"user.cfg", "settings"));

    ASSERT_TRUE(Extract(package, install_dir_));
    EXPECT_EQ(ReadFileBytes(client), "new version");
    EXPECT_EQ(GetFileAttributesW(client.c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              0u);
    EXPECT_NE(GetFileAttributesW((install_dir_ + L"skin").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(ReadFileBytes(install_dir_ + L"user.cfg"), "settings");
  }
}

// Inside a folder that Everyone may write, the install directory and the package's folders that
// the extraction makes grant Everyone nothing, and the files written there give no standard
// user the right to change them.
TEST_F(PackageExtractionTest, FoldersItMakesAreProtectedFromAFolderEveryoneMayWrite) {
  const std::wstring shared = temp_.path() + L"shared\\";
  ASSERT_TRUE(CreateDirectoryW(shared.c_str(), nullptr));
  ASSERT_EQ(SetFolderDacl(shared, L"D:(A;OICI;FA;;;WD)"), static_cast<DWORD>(ERROR_SUCCESS));
  const std::wstring install_dir = shared + L"Bokrin\\";
  const std::wstring package = WritePackage({{"Bokrin.exe", "MZ"}, {"openglessl/shaders/basic.frag", "void main(){}"}});

  ASSERT_TRUE(Extract(package, install_dir));

  for (const std::wstring made : {install_dir, install_dir + L"openglessl", install_dir + L"openglessl\\shaders"}) {
    const FolderSecurity security = ReadFolderSecurity(made);
    ASSERT_TRUE(security.read) << testing::PrintToString(made);
    for (const FolderAce& ace : security.aces) EXPECT_NE(ace.trustee, L"WD") << testing::PrintToString(made);
  }
  const FolderSecurity client = ReadFolderSecurity(install_dir + L"Bokrin.exe");
  ASSERT_TRUE(client.read);
  for (const FolderAce& ace : client.aces) {
    if (ace.trustee == L"WD" || ace.trustee == L"BU" || ace.trustee == L"AU" || ace.trustee == L"IU") {
      EXPECT_EQ(ace.mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER), 0u) << ace.trustee;
    }
  }
}

TEST_F(PackageExtractionTest, UnicodeNamesAndInstallDirectory) {
  const std::wstring install_dir = temp_.path() + L"程序 文件\\博克林\\";
  const std::wstring package = WritePackage({{"Bokrin.exe", "MZ"}, {"资料/读我.txt", "你好"}, {"书库/", ""}});
  ASSERT_TRUE(Extract(package, install_dir));
  EXPECT_TRUE(Reports(sink_).empty());
  EXPECT_EQ(ReadFileBytes(install_dir + L"资料\\读我.txt"), "你好");
  EXPECT_NE(GetFileAttributesW((install_dir + L"书库").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// The values run from 801 without gaps and never reach 970, the extraction's own milestone.
TEST_F(PackageExtractionTest, PostsOneProgressStepPerBlockOfEntries) {
  struct Case {
    int entries;
    LPARAM last;
  };
  const Case kCases[] = {{1, 801}, {40, 840}, {150, 950}, {169, 969}, {170, 885}, {299, 949}, {300, 950},
                         {507, 969}, {508, 927}};
  for (const Case& c : kCases) {
    const std::wstring install_dir = temp_.path() + L"n" + std::to_wstring(c.entries) + L"\\";
    MessageSinkWindow sink;
    ASSERT_TRUE(ExtractInto(&sink, WritePackage(NumberedFiles(c.entries)), install_dir)) << c.entries;
    std::vector<LPARAM> expected;
    for (LPARAM value = 801; value <= c.last; ++value) expected.push_back(value);
    EXPECT_EQ(sink.ProgressValues(), expected) << c.entries;
    EXPECT_EQ(sink.messages().size(), expected.size()) << c.entries;
    EXPECT_EQ(Listing(install_dir).size(), static_cast<size_t>(c.entries));
  }
}

TEST_F(PackageExtractionTest, APackageThatCannotBeReadIsReportedAsABadDownload) {
  const std::string good = BuildZip({{"a.txt", "alpha"}, {"b.txt", "beta"}});
  const std::pair<const char*, std::string> kPackages[] = {
      {"not a zip", "<html>404</html>"},
      {"cut short", good.substr(0, good.size() / 2)},
      {"empty file", ""},
  };
  for (const auto& package : kPackages) {
    SCOPED_TRACE(package.first);
    MessageSinkWindow sink;
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"Bokrin.zip", package.second));
    EXPECT_FALSE(ExtractInto(&sink, temp_.path() + L"Bokrin.zip", install_dir_));
    ExpectUnreadablePackageReported(sink);
  }
  EXPECT_FALSE(Extract(temp_.path() + L"missing.zip", install_dir_));
  ExpectUnreadablePackageReported(sink_);
  EXPECT_TRUE(Listing(install_dir_).empty());
}

TEST_F(PackageExtractionTest, APackageWithoutTheClientIsRefused) {
  const std::vector<ZipEntrySpec> kPackages[] = {
      {},
      {{"readme.txt", "r"}},
      {{"readme.txt", "r"}, {"Bokrin.exe/", ""}},
      {{"bin/Bokrin.exe", "MZ"}},
  };
  for (const auto& entries : kPackages) {
    MessageSinkWindow sink;
    EXPECT_FALSE(ExtractInto(&sink, WritePackage(entries), install_dir_)) << entries.size();
    ExpectUnreadablePackageReported(sink);
    EXPECT_TRUE(Listing(install_dir_).empty());
  }
}

TEST_F(PackageExtractionTest, NamesLeadingOutOfTheInstallDirectoryRefuseThePackageBeforeAnyWrite) {
  const char* const kHostile[] = {"..",  "../evil.txt", "..\\evil.txt", "a/../../evil.txt", "C:..\\evil.txt",
                                  "ab:stream", "dir/evil.txt:stream", "CON", "sub/aux.txt", "... /evil.txt"};
  const std::set<std::wstring> before = Listing(temp_.path());
  for (const char* name : kHostile) {
    SCOPED_TRACE(name);
    MessageSinkWindow sink;
    const std::wstring package = WritePackage({{"first.txt", "harmless"}, {name, "evil"}, {"last.txt", "x"}});
    EXPECT_FALSE(ExtractInto(&sink, package, install_dir_));
    ExpectUnreadablePackageReported(sink);
    EXPECT_TRUE(Listing(install_dir_).empty());
  }
  std::set<std::wstring> after = Listing(temp_.path());
  after.erase(L"Bokrin.zip");
  EXPECT_EQ(after, before);
}

TEST_F(PackageExtractionTest, RewrittenNamesLandInsideTheInstallDirectory) {
  ASSERT_TRUE(Extract(WritePackage({{"Bokrin.exe", "MZ"}, {"C:\\tmp\\x", "1"}, {"/abs/p", "2"}, {"a/../b", "3"},
                                    {"x\\..\\y\\..\\z", "4"}}),
                      install_dir_));
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"tmp\\x"), "1");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"abs\\p"), "2");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"b"), "3");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"z"), "4");
  EXPECT_EQ(Listing(install_dir_), (std::set<std::wstring>{L"Bokrin.exe", L"tmp", L"abs", L"b", L"z"}));
}

// Another program keeps a file open past the retries: the user learns which file, and starts
// again from the first page once that program is closed. Wine's Restart Manager names no
// program, so the file stands alone.
TEST_F(PackageExtractionTest, AFileHeldPastTheRetriesStopsTheInstallationNamingIt) {
  ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"bin").c_str(), nullptr));
  const std::wstring held_path = install_dir_ + L"bin\\Bokrin.exe";
  ASSERT_TRUE(WriteFileBytes(held_path, "running"));
  const ScopedHandle held(CreateFileW(held_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(Extract(WritePackage({{"Bokrin.exe", "MZ"}, {"readme.txt", "r"}, {"bin/Bokrin.exe", "new"},
                                     {"later.txt", "l"}}),
                       install_dir_));
  EXPECT_GE(GetTickCount64() - start, 2000u);
  const std::vector<PostedMessage> reports = Reports(sink_);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].message, WM_INSTALL_ERROR);
  EXPECT_EQ(reports[0].wparam, kErrorBackToStart);
  EXPECT_EQ(reports[0].text, L"文件被其他程序占用：bin\\Bokrin.exe，请关闭该程序后重试！");
  EXPECT_EQ(sink_.ProgressValues(), (std::vector<LPARAM>{801, 802}));
  // What the installation wrote before it met the held file is gone again.
  EXPECT_EQ(Listing(install_dir_), (std::set<std::wstring>{L"bin"}));
  EXPECT_EQ(Listing(install_dir_ + L"bin\\"), (std::set<std::wstring>{L"Bokrin.exe"}));
  WIN32_FILE_ATTRIBUTE_DATA held_file = {};  // the holder keeps it from being read
  ASSERT_TRUE(GetFileAttributesExW(held_path.c_str(), GetFileExInfoStandard, &held_file));
  EXPECT_EQ(held_file.nFileSizeLow, 7u);  // "running", untouched
}

// A program that lets go of the file while it is being retried goes unnoticed.
TEST_F(PackageExtractionTest, AFileReleasedWithinTheRetriesIsWritten) {
  const std::wstring held_path = install_dir_ + L"Bokrin.exe";
  ASSERT_TRUE(WriteFileBytes(held_path, "running"));
  ScopedHandle held(CreateFileW(held_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  std::thread release([&held] {
    Sleep(700);
    held.Reset();
  });

  const ULONGLONG start = GetTickCount64();
  const bool extracted = Extract(WritePackage({{"readme.txt", "r"}, {"Bokrin.exe", "new"}}), install_dir_);
  release.join();
  EXPECT_TRUE(extracted);
  EXPECT_GE(GetTickCount64() - start, 700u);
  EXPECT_TRUE(Reports(sink_).empty());
  EXPECT_EQ(ReadFileBytes(held_path), "new");
}

// A file that cannot be written for any other reason is no program's doing: the message that
// makes the wizard quit, at once.
TEST_F(PackageExtractionTest, AFileThatCannotBeWrittenStopsTheInstallation) {
  const std::wstring blocked_path = install_dir_ + L"Bokrin.exe";
  ASSERT_TRUE(CreateDirectoryW(blocked_path.c_str(), nullptr));

  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(Extract(WritePackage({{"readme.txt", "r"}, {"Bokrin.exe", "new"}, {"later.txt", "l"}}), install_dir_));
  EXPECT_LT(GetTickCount64() - start, 2000u);
  ExpectUnwritableFileReported(sink_, blocked_path);
  EXPECT_EQ(sink_.ProgressValues(), (std::vector<LPARAM>{801}));
  // What the installation wrote before is gone again.
  EXPECT_EQ(Listing(install_dir_), (std::set<std::wstring>{L"Bokrin.exe"}));
}

// A damaged package is a bad download, not a running client: the wizard goes back to its first
// page instead of quitting.
TEST_F(PackageExtractionTest, ADamagedEntryIsReportedAsABadDownload) {
  ZipEntrySpec corrupt{"资料/data.bin", std::string(70000, 'd')};
  corrupt.wrong_crc = true;
  ZipEntrySpec short_data{"short.bin", "abc"};
  short_data.deflate = false;
  short_data.announced_size = 3000;
  for (const ZipEntrySpec& damaged : {corrupt, short_data}) {
    SCOPED_TRACE(damaged.name);
    MessageSinkWindow sink;
    EXPECT_FALSE(ExtractInto(&sink, WritePackage({damaged, {"Bokrin.exe", "MZ"}}), install_dir_));
    ExpectUnreadablePackageReported(sink);
  }
  EXPECT_EQ(GetFileAttributesW((install_dir_ + L"资料\\data.bin").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((install_dir_ + L"short.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Everything about a file that the user could tell apart, and the bytes.
struct FileState {
  DWORD attributes;
  uint64_t write_time;
  std::string bytes;

  bool operator==(const FileState& other) const {
    return attributes == other.attributes && write_time == other.write_time && bytes == other.bytes;
  }
};

// The whole tree below `directory`, by path relative to it (folders end with a backslash).
void CollectTree(const std::wstring& directory, const std::wstring& relative, std::map<std::wstring, FileState>* tree) {
  for (const std::wstring& name : Listing(directory + relative)) {
    const std::wstring path = relative + name;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(GetFileAttributesExW((directory + path).c_str(), GetFileExInfoStandard, &data));
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      (*tree)[path + L"\\"] = FileState{data.dwFileAttributes, 0, std::string()};
      CollectTree(directory, path + L"\\", tree);
    } else {
      const uint64_t time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                            data.ftLastWriteTime.dwLowDateTime;
      (*tree)[path] = FileState{data.dwFileAttributes, time, ReadFileBytes(directory + path)};
    }
  }
}

std::map<std::wstring, FileState> Tree(const std::wstring& directory) {
  std::map<std::wstring, FileState> tree;
  CollectTree(directory, std::wstring(), &tree);
  return tree;
}

// Tells the window everything, and asks the extraction to stop once it reports `at`, as the
// wizard does when the user confirms the cancel.
class StoppingObserver : public WindowInstallObserver {
 public:
  StoppingObserver(HWND window, StopRequest* stop, int32_t at) : WindowInstallObserver(window), stop_(stop), at_(at) {}
  void OnProgress(int32_t value) override {
    WindowInstallObserver::OnProgress(value);
    if (value == at_) stop_->Request();
  }

 private:
  StopRequest* stop_;
  int32_t at_;
};

// A previous release is installed; the new one fails after some of its files were written.
// Whatever ended it, the previous release is back byte for byte, with its attributes and
// times, nothing of the new one is left, and the user's own files were never touched.
TEST_F(PackageExtractionTest, AFailureAfterTheFirstWriteLeavesThePreviousReleaseAsItWas) {
  const std::wstring previous_client = install_dir_ + L"Bokrin.exe";
  ASSERT_TRUE(WriteFileBytes(previous_client, "old client"));
  ASSERT_TRUE(SetFileAttributesW(previous_client.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"skin").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"skin\\theme.xml", "<old/>"));
  ASSERT_TRUE(SetFileAttributesW((install_dir_ + L"skin\\theme.xml").c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"plugins", "a file where the new release has a folder"));
  ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"books").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"books\\mine.epub", "the user's book"));
  const std::map<std::wstring, FileState> previous = Tree(install_dir_);

  ZipEntrySpec damaged{"plugins/damaged.dll", std::string(70000, 'd')};
  damaged.wrong_crc = true;
  ZipEntrySpec short_data{"skin/short.png", "abc"};
  short_data.deflate = false;
  short_data.announced_size = 3000;
  const auto release = [](const ZipEntrySpec& failing, bool near_end) {
    std::vector<ZipEntrySpec> entries = {{"Bokrin.exe", "new client"},  {"skin/", ""},
                                         {"skin/theme.xml", "<new/>"},   {"plugins/", ""},
                                         {"plugins/reader.dll", "new"},  {"fonts/cjk/song.ttf", "font"}};
    entries.insert(near_end ? entries.end() - 1 : entries.begin() + 3, failing);
    return entries;
  };
  const ZipEntrySpec plain{"readme.txt", "new readme"};
  struct Case {
    const char* what;
    std::vector<ZipEntrySpec> entries;
    std::vector<std::wstring> reports;  // statuses and errors, in order
    ExitCode result;
    const char* room = nullptr;         // BOKRIN_TEST_EXTRACTION_ROOM
    int32_t stop_at = 0;
  };
  const Case cases[] = {
      {"a wrong CRC in the middle", release(damaged, false), {kUnreadableStatus, kUnreadableError},
       ExitCode::kPackageRefused},
      {"a size error near the end", release(short_data, true), {kUnreadableStatus, kUnreadableError},
       ExitCode::kPackageRefused},
      {"an entry into the journal's backups", release({"bokrinsetup.ROLLBACK/1", "evil"}, false),
       {kUnreadableStatus, kUnreadableError}, ExitCode::kPackageRefused},
      {"a full volume", release(plain, true), {kNoSpaceStatus, kNoSpaceError}, ExitCode::kInstallDirUnwritable, "20"},
      {"a cancel", release(plain, true), {}, ExitCode::kCancelled, nullptr, 804},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MessageSinkWindow sink;
    const std::wstring package = WritePackage(c.entries);
    _putenv_s("BOKRIN_TEST_EXTRACTION_ROOM", c.room != nullptr ? c.room : "");
    StopRequest stop;
    StoppingObserver observer(sink.hwnd(), &stop, c.stop_at);
    EXPECT_EQ(ExtractReportingTo(observer, stop, &sink, package, install_dir_), c.result);
    _putenv_s("BOKRIN_TEST_EXTRACTION_ROOM", "");
    std::vector<std::wstring> reports;
    for (const PostedMessage& m : Reports(sink)) reports.push_back(m.text);
    EXPECT_EQ(reports, c.reports);
    EXPECT_GE(sink.ProgressValues().size(), 2u) << "the failure came before anything was written";
    EXPECT_EQ(Tree(install_dir_), previous);
  }
}

// Each package is refused as a whole: the earlier installation's files stay as they were and
// nothing new appears, although harmless entries come first.
TEST_F(PackageExtractionTest, HostileArchivesAreRefusedBeforeAnyWrite) {
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"Bokrin.exe", "old client"));
  const ZipEntrySpec client{"Bokrin.exe", "new client"};
  const ZipEntrySpec readme{"readme.txt", "harmless"};
  ZipEntrySpec encrypted{"secret.txt", "words"};
  encrypted.password = "pw";
  ZipEntrySpec unknown_method{"packed.bin", "BZh9"};
  unknown_method.deflate = false;
  unknown_method.method = 12;
  ZipEntrySpec same_data{"b.txt", "one data"};
  same_data.data_of = 2;
  struct Case {
    const char* what;
    std::vector<ZipEntrySpec> entries;
  };
  const Case kCases[] = {
      {"client name cut by a zero byte", {readme, client, {std::string("Bokrin.exe\0.txt", 15), "evil"}}},
      {"device cut by a zero byte", {readme, client, {std::string("CON\0x.txt", 9), "evil"}}},
      {"client name padded with 300 blanks", {readme, client, {"Bokrin.exe" + std::string(300, ' '), "evil"}}},
      {"client name with a trailing dot", {readme, client, {"Bokrin.exe.", "evil"}}},
      {"trailing blank in a folder", {readme, client, {"skin /a.xml", "evil"}}},
      {"COM with superscript one", {readme, client, {"COM\xc2\xb9.txt", "evil"}}},
      {"LPT with superscript two", {readme, client, {"LPT\xc2\xb2", "evil"}}},
      {"forbidden characters", {readme, client, {"a<b>|c.txt", "evil"}}},
      {"question mark", {readme, client, {"why?.txt", "evil"}}},
      {"control character", {readme, client, {"bell\x07.txt", "evil"}}},
      {"encrypted entry", {readme, client, encrypted}},
      {"unknown compression method", {readme, client, unknown_method}},
      {"two records on one data", {readme, client, {"a.txt", "one data"}, same_data}},
      {"file and folder of one name", {readme, client, {"lib", "file"}, {"lib/x.dll", "x"}}},
      // Windows tells names apart case-blind beyond ASCII too.
      {"file and folder of one name, Latin letters", {readme, client, {"\xc3\x84.txt", "file"}, {"\xc3\xa4.txt/x.txt", "x"}}},
      {"file and folder of one name, Cyrillic", {readme, client, {"\xd0\xaf", "file"}, {"\xd1\x8f/x.txt", "x"}}},
      {"longer than the path limit", {readme, client, {std::string(240, 'n') + ".txt", "long"}}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    MessageSinkWindow sink;
    EXPECT_FALSE(ExtractInto(&sink, WritePackage(c.entries), install_dir_));
    ExpectUnreadablePackageReported(sink);
    EXPECT_EQ(Listing(install_dir_), std::set<std::wstring>{L"Bokrin.exe"});
    EXPECT_EQ(ReadFileBytes(install_dir_ + L"Bokrin.exe"), "old client");
  }
}

// The archive's end record claims 2^31 - 1 entries: nothing is sized by that claim.
TEST_F(PackageExtractionTest, AnEntryCountClaimedByAZip64RecordIsRefused) {
  const std::string package = WithZip64EndRecord(BuildZip({{"Bokrin.exe", "MZ"}}), 0x7FFFFFFF);
  EXPECT_FALSE(Extract(WritePackageBytes(package), install_dir_));
  ExpectUnreadablePackageReported(sink_);
  EXPECT_TRUE(Listing(install_dir_).empty());
}

// 100 entries of 4 GiB each, as their records announce: far more than the volume holds.
TEST_F(PackageExtractionTest, APackageLargerThanTheFreeSpaceIsRefusedBeforeAnyWrite) {
  std::vector<ZipEntrySpec> entries = {{"Bokrin.exe", "MZ"}};
  for (int i = 0; i < 100; ++i) {
    ZipEntrySpec huge{"huge" + std::to_string(i) + ".bin", "h" + std::to_string(i)};
    huge.announced_size = 0xFFFFFFFF;
    entries.push_back(huge);
  }
  // The install directory does not exist yet: its nearest existing parent tells the volume.
  const std::wstring install_dir = install_dir_ + L"not\\yet\\";
  EXPECT_FALSE(Extract(WritePackage(entries), install_dir));
  ExpectRefusalReported(sink_, kNoSpaceStatus, kNoSpaceError);
  EXPECT_TRUE(Listing(install_dir_).empty());
}

// Another package put in place of the downloaded one, by writing into it or by renaming over
// it, is not extracted.
TEST_F(PackageExtractionTest, OnlyThePackageThatWasDownloadedIsExtracted) {
  const std::wstring package = WritePackage({{"Bokrin.exe", "genuine"}});
  const Md5Digest genuine = downloaded_;
  const std::wstring swapped = temp_.path() + L"swapped.zip";
  ASSERT_TRUE(WriteFileBytes(swapped, BuildZip({{"Bokrin.exe", "planted"}})));
  ASSERT_TRUE(MoveFileExW(swapped.c_str(), package.c_str(), MOVEFILE_REPLACE_EXISTING));
  downloaded_ = genuine;
  EXPECT_FALSE(Extract(package, install_dir_));
  ExpectUnreadablePackageReported(sink_);
  EXPECT_TRUE(Listing(install_dir_).empty());

  // One byte of the data changed in place (the CRC then fails too, but only once written).
  ZipEntrySpec stored{"Bokrin.exe", "genuine"};
  stored.deflate = false;
  std::string bytes = BuildZip({stored});
  WritePackageBytes(bytes);
  const size_t data_at = bytes.find("genuine");
  ASSERT_NE(data_at, std::string::npos);
  bytes[data_at] = 'G';
  ASSERT_TRUE(WriteFileBytes(package, bytes));
  MessageSinkWindow sink;
  EXPECT_FALSE(ExtractInto(&sink, package, install_dir_));
  ExpectUnreadablePackageReported(sink);
  EXPECT_TRUE(Listing(install_dir_).empty());
}

// The extraction opens the package denying writes: while someone holds it open for writing it
// cannot be opened, and so is not extracted.
TEST_F(PackageExtractionTest, APackageOpenForWritingElsewhereIsNotExtracted) {
  const std::wstring package = WritePackage({{"Bokrin.exe", "MZ"}});
  const DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const ScopedHandle writer(CreateFileW(package.c_str(), GENERIC_WRITE, share_all, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_FALSE(Extract(package, install_dir_));
  ExpectUnreadablePackageReported(sink_);
  EXPECT_TRUE(Listing(install_dir_).empty());
}

// The setup log names the refused entry, its zero byte shown, and the file that could not be
// written with its error codes.
TEST_F(PackageExtractionTest, TheLogNamesTheRefusedEntryAndTheFailedWrite) {
  const std::wstring log = OpenOwnSetupLog(L"package_extraction_test");

  EXPECT_FALSE(Extract(WritePackage({{"Bokrin.exe", "MZ"}, {std::string("Bokrin.exe\0.txt", 15), "evil"}}),
                       install_dir_));
  EXPECT_NE(ReadFileBytes(log).find("package refused, refused name, entry 1 \"Bokrin.exe\\x00.txt\""),
            std::string::npos)
      << ReadFileBytes(log);

  const std::wstring held_path = install_dir_ + L"Bokrin.exe";
  ASSERT_TRUE(WriteFileBytes(held_path, "running"));
  const ScopedHandle held(CreateFileW(held_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_FALSE(Extract(WritePackage({{"Bokrin.exe", "new"}}), install_dir_));
  std::string held_utf8;
  for (wchar_t ch : held_path) held_utf8 += static_cast<char>(ch);  // the test's paths are ASCII
  EXPECT_NE(ReadFileBytes(log).find(held_utf8 + " failed, zip error 4, error 32"), std::string::npos)
      << ReadFileBytes(log);
}

}  // namespace
