#include "engine/package_extraction.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "engine/install_messages.h"
#include "engine/testing/message_sink_window.h"
#include "engine/testing/zip_writer.h"

namespace {

const wchar_t kUnreadableStatus[] = L"打开压缩包失败，请重新下载！";
const wchar_t kUnreadableError[] = L"下载失败，请检查网络后重新下载！";
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

std::vector<ZipEntrySpec> NumberedFiles(int count) {
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < count; ++i) {
    ZipEntrySpec entry{"f" + std::to_string(i) + ".txt", std::to_string(i)};
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

void ExpectUnreadablePackageReported(const MessageSinkWindow& sink) {
  const std::vector<PostedMessage> reports = Reports(sink);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].message, WM_INSTALL_STATUS);
  EXPECT_EQ(reports[0].wparam, kStatusWide);
  EXPECT_EQ(reports[0].text, kUnreadableStatus);
  EXPECT_EQ(reports[1].message, WM_INSTALL_ERROR);
  EXPECT_EQ(reports[1].wparam, kErrorBackToStart);
  EXPECT_EQ(reports[1].text, kUnreadableError);
  EXPECT_TRUE(sink.ProgressValues().empty());
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

  std::wstring WritePackage(const std::vector<ZipEntrySpec>& entries) {
    const std::wstring path = temp_.path() + L"Bokrin.zip";
    EXPECT_TRUE(WriteFileBytes(path, BuildZip(entries)));
    return path;
  }

  bool Extract(const std::wstring& package, const std::wstring& install_dir) {
    return ExtractInto(&sink_, package, install_dir);
  }

  static bool ExtractInto(MessageSinkWindow* sink, const std::wstring& package, const std::wstring& install_dir) {
    const bool result = ExtractPackage(sink->hwnd(), package, install_dir);
    sink->Drain();
    return result;
  }

  ScopedTempDir temp_;
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

TEST_F(PackageExtractionTest, ReplacesAReadOnlyFileAndKeepsFilesThePackageLacks) {
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"Bokrin.exe", "old version"));
  ASSERT_TRUE(SetFileAttributesW((install_dir_ + L"Bokrin.exe").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"user.cfg", "settings"));

  ASSERT_TRUE(Extract(WritePackage({{"Bokrin.exe", "new version"}}), install_dir_));
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"Bokrin.exe"), "new version");
  EXPECT_EQ(GetFileAttributesW((install_dir_ + L"Bokrin.exe").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"user.cfg"), "settings");
}

TEST_F(PackageExtractionTest, UnicodeNamesAndInstallDirectory) {
  const std::wstring install_dir = temp_.path() + L"程序 文件\\博克林\\";
  ASSERT_TRUE(Extract(WritePackage({{"资料/读我.txt", "你好"}, {"书库/", ""}}), install_dir));
  EXPECT_TRUE(Reports(sink_).empty());
  EXPECT_EQ(ReadFileBytes(install_dir + L"资料\\读我.txt"), "你好");
  EXPECT_NE(GetFileAttributesW((install_dir + L"书库").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(PackageExtractionTest, PostsOneProgressStepPerBlockOfEntries) {
  struct Case {
    int entries;
    LPARAM last;  // the values run from 801 without gaps
  };
  const Case kCases[] = {{0, 0}, {40, 840}, {150, 950}, {299, 1099}, {300, 950}};
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

TEST_F(PackageExtractionTest, AnEmptyPackageSucceedsWithoutProgress) {
  EXPECT_TRUE(Extract(WritePackage({}), install_dir_));
  EXPECT_TRUE(sink_.messages().empty());
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
  ASSERT_TRUE(Extract(WritePackage({{"C:\\tmp\\x", "1"}, {"/abs/p", "2"}, {"a/../b", "3"}, {"x\\..\\y\\..\\z", "4"}}),
                      install_dir_));
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"tmp\\x"), "1");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"abs\\p"), "2");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"b"), "3");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"z"), "4");
  EXPECT_EQ(Listing(install_dir_), (std::set<std::wstring>{L"tmp", L"abs", L"b", L"z"}));
}

TEST_F(PackageExtractionTest, AFileHeldByARunningClientStopsTheInstallation) {
  const std::wstring held_path = install_dir_ + L"Bokrin.exe";
  ASSERT_TRUE(WriteFileBytes(held_path, "running"));
  const ScopedHandle held(CreateFileW(held_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);

  EXPECT_FALSE(Extract(WritePackage({{"readme.txt", "r"}, {"Bokrin.exe", "new"}, {"later.txt", "l"}}), install_dir_));
  ExpectUnwritableFileReported(sink_, held_path);
  EXPECT_EQ(sink_.ProgressValues(), (std::vector<LPARAM>{801}));
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"readme.txt"), "r");
  EXPECT_EQ(GetFileAttributesW((install_dir_ + L"later.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PackageExtractionTest, ACorruptEntryStopsTheInstallation) {
  ZipEntrySpec corrupt{"资料/data.bin", std::string(70000, 'd')};
  corrupt.wrong_crc = true;
  EXPECT_FALSE(Extract(WritePackage({corrupt}), install_dir_));
  ExpectUnwritableFileReported(sink_, install_dir_ + L"资料/data.bin");
  EXPECT_EQ(GetFileAttributesW((install_dir_ + L"资料\\data.bin").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
