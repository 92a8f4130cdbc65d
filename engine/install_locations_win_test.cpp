#include "engine/install_locations.h"

#include <gtest/gtest.h>

#include <string>

#include "common/paths.h"
#include "common/registry.h"
#include "common/testing/registry_views.h"
#include "common/testing/scoped_temp_dir.h"

namespace {

// The test prefix is a 64-bit Windows, where a 32-bit program's program folder is the "(x86)" one.
#ifdef _WIN64
const wchar_t kExpectedDefaultInstallDir[] = L"C:\\Program Files\\Bokrin\\";
#else
const wchar_t kExpectedDefaultInstallDir[] = L"C:\\Program Files (x86)\\Bokrin\\";
#endif

std::wstring ReadValue(HKEY root, const wchar_t* name, REGSAM view = kOwnRegistryView) {
  return ReadRegistryString(root, kProductKey, name, view);
}

void WriteValue(HKEY root, const wchar_t* name, const std::wstring& value) {
  const ScopedRegKey key = RegOpenOrCreateKey(root, kProductKey);
  ASSERT_TRUE(key.IsValid());
  RegWriteValue(key.Get(), name, REG_SZ, value);
}

// Every test starts without a product key and without the default directories, so that what
// a test finds was recorded or created by the code under test.
class InstallLocationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    default_install_dir_ = kExpectedDefaultInstallDir;
    default_book_dir_ = GetAppDataDir() + L"eBooks\\";
    DeleteTree(default_install_dir_);
    DeleteTree(default_book_dir_);
    ASSERT_FALSE(PathExists(default_install_dir_, false));
    ASSERT_FALSE(PathExists(default_book_dir_, false));
  }

  std::wstring default_install_dir_;
  std::wstring default_book_dir_;
};

struct ChosenDirCase {
  const wchar_t* chosen;    // below a fresh temporary directory
  const wchar_t* expected;  // below the same directory
  bool created;
};

class ChosenInstallDirTest : public ::testing::TestWithParam<ChosenDirCase> {};

TEST_P(ChosenInstallDirTest, IsCompletedAndCreated) {
  const ChosenDirCase& c = GetParam();
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  std::wstring directory = temp.path() + c.chosen;
  EXPECT_EQ(c.created, DefaultInstallDir(false, directory));
  EXPECT_EQ(temp.path() + c.expected, directory);
  EXPECT_TRUE(PathExists(directory, true));

  // A second run finds the directory and reports that it created nothing.
  std::wstring again = temp.path() + c.chosen;
  EXPECT_FALSE(DefaultInstallDir(false, again));
  EXPECT_EQ(directory, again);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChosenInstallDirTest,
    ::testing::Values(ChosenDirCase{L"Apps", L"Apps\\Bokrin\\", true},
                      ChosenDirCase{L"Apps\\", L"Apps\\Bokrin\\", true},
                      ChosenDirCase{L"Apps/", L"Apps/Bokrin\\", true},
                      ChosenDirCase{L"bokrin", L"bokrin\\Bokrin\\", true},
                      ChosenDirCase{L"阅读器", L"阅读器\\Bokrin\\", true},
                      // Already named after the product: used itself, created in the first step.
                      ChosenDirCase{L"Bokrin", L"Bokrin\\", false},
                      ChosenDirCase{L"MyBokrinFiles\\", L"MyBokrinFiles\\", false}));

TEST(ChosenInstallDirFailureTest, AChosenDirectoryWithoutParentStaysUnchanged) {
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::wstring chosen = temp.path() + L"missing\\Apps";
  std::wstring directory = chosen;
  EXPECT_FALSE(DefaultInstallDir(false, directory));
  EXPECT_EQ(chosen, directory);
  EXPECT_FALSE(PathExists(temp.path() + L"missing", false));
}

TEST_F(InstallLocationsTest, TheDefaultInstallDirIsInTheProgramFolderOfTheProgramsArchitecture) {
  std::wstring directory = L"ignored";
  EXPECT_TRUE(DefaultInstallDir(true, directory));
  EXPECT_EQ(default_install_dir_, directory);
  EXPECT_TRUE(PathExists(directory, true));
}

TEST_F(InstallLocationsTest, BookAndPackageDirectoriesAreCreatedBelowTheUserDirectories) {
  EXPECT_EQ(default_book_dir_, DefaultBookDir());
  EXPECT_TRUE(PathExists(default_book_dir_, true));

  const std::wstring package_dir = GetLocalTempDir() + L"BokrinInstallZip\\";
  DeleteTree(package_dir);
  EXPECT_EQ(package_dir, PackageTempDir());
  EXPECT_TRUE(PathExists(package_dir, true));
}

TEST_F(InstallLocationsTest, DefaultPathsCreatesBothDirectories) {
  std::wstring install_dir;
  std::wstring book_dir;
  DefaultPaths(install_dir, book_dir);
  EXPECT_EQ(default_install_dir_, install_dir);
  EXPECT_EQ(default_book_dir_, book_dir);
  EXPECT_TRUE(PathExists(install_dir, true));
  EXPECT_TRUE(PathExists(book_dir, true));
}

TEST_F(InstallLocationsTest, LocationValuesAreRecordedForTheMachineAndTheUser) {
  const std::wstring install_dir = L"C:\\Apps\\Bokrin\\";
  const std::wstring book_dir = L"C:\\Books\\BokrinEBooks\\";
  WriteLocationValues(install_dir, book_dir);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    EXPECT_EQ(install_dir, ReadValue(root, kInstallDirValue));
    EXPECT_EQ(book_dir, ReadValue(root, kBookDirValue));
    EXPECT_EQ(GetAppDataDir(), ReadValue(root, kAppDataDirValue));
  }
}

TEST_F(InstallLocationsTest, TheMachineValuesLandInTheProgramsOwnRegistryView) {
  const std::wstring install_dir = L"C:\\Apps\\Bokrin\\";
  WriteLocationValues(install_dir, L"C:\\Books\\BokrinEBooks\\");
  WritePackagePathValue(L"C:\\Temp\\BokrinInstallZip\\Bokrin.zip");
  EXPECT_EQ(L"<no key>", ReadValue(HKEY_LOCAL_MACHINE, kInstallDirValue, kOtherRegistryView));
  EXPECT_EQ(L"<no key>", ReadValue(HKEY_LOCAL_MACHINE, kPackagePathValue, kOtherRegistryView));
  EXPECT_EQ(install_dir, ReadValue(HKEY_CURRENT_USER, kInstallDirValue, kOtherRegistryView));
}

TEST_F(InstallLocationsTest, ThePackagePathIsRecordedForTheMachineOnly) {
  WritePackagePathValue(L"C:\\Temp\\BokrinInstallZip\\Bokrin.zip");
  EXPECT_EQ(L"C:\\Temp\\BokrinInstallZip\\Bokrin.zip",
            ReadValue(HKEY_LOCAL_MACHINE, kPackagePathValue));
  EXPECT_EQ(L"<no key>", ReadValue(HKEY_CURRENT_USER, kPackagePathValue));
}

TEST_F(InstallLocationsTest, PrefillWithoutRecordedValuesCreatesAndShowsTheDefaults) {
  const PrefillTexts texts = ComputePrefillTexts();
  EXPECT_EQ(default_install_dir_, texts.install_text);
  EXPECT_EQ(default_book_dir_, texts.book_text);
  EXPECT_TRUE(PathExists(default_install_dir_, true));
  EXPECT_TRUE(PathExists(default_book_dir_, true));
}

TEST_F(InstallLocationsTest, PrefillShowsTheRecordedDirectoriesWithTheBookFolderCut) {
  WriteLocationValues(L"D:\\Apps\\Bokrin\\", L"D:\\Books\\BokrinEBooks\\");
  const PrefillTexts texts = ComputePrefillTexts();
  EXPECT_EQ(L"D:\\Apps\\Bokrin\\", texts.install_text);
  EXPECT_EQ(L"D:\\Books\\", texts.book_text);
  EXPECT_FALSE(PathExists(default_install_dir_, false));
  EXPECT_FALSE(PathExists(default_book_dir_, false));
}

// The install directory counts only from the machine's key, the book directory only from the
// user's; a value in the other key is no record, and the missing one falls back to its default.
TEST_F(InstallLocationsTest, PrefillReadsEachDirectoryFromItsOwnKey) {
  WriteValue(HKEY_CURRENT_USER, kInstallDirValue, L"D:\\UserApps\\Bokrin\\");
  WriteValue(HKEY_LOCAL_MACHINE, kBookDirValue, L"D:\\MachineBooks\\BokrinEBooks\\");
  WriteValue(HKEY_CURRENT_USER, kBookDirValue, L"D:\\BokrinEBooks\\x\\");
  const PrefillTexts texts = ComputePrefillTexts();
  EXPECT_EQ(default_install_dir_, texts.install_text);
  EXPECT_EQ(L"D:\\", texts.book_text);
  EXPECT_TRUE(PathExists(default_install_dir_, true));
  // The default book directory was made on the way to the default install directory.
  EXPECT_TRUE(PathExists(default_book_dir_, true));
}

// A directory named on the command line stands as written, uncut, and creates no default of its
// own; the field left to the page gets what the page would show.
TEST_F(InstallLocationsTest, PrefillPutsGivenDirectoriesInPlaceOfTheirFields) {
  WriteLocationValues(L"D:\\Apps\\Bokrin\\", L"D:\\Books\\BokrinEBooks\\");
  PrefillTexts texts = ComputePrefillTexts({L"E:\\내 프로그램", L""});
  EXPECT_EQ(L"E:\\내 프로그램", texts.install_text);
  EXPECT_EQ(L"D:\\Books\\", texts.book_text);
  texts = ComputePrefillTexts({L"", L"F:\\书 籍\\BokrinEBooks\\"});
  EXPECT_EQ(L"D:\\Apps\\Bokrin\\", texts.install_text);
  EXPECT_EQ(L"F:\\书 籍\\BokrinEBooks\\", texts.book_text);
  EXPECT_FALSE(PathExists(default_install_dir_, false));
  EXPECT_FALSE(PathExists(default_book_dir_, false));
}

TEST_F(InstallLocationsTest, PrefillCreatesOnlyTheDefaultOfTheFieldNotGiven) {
  PrefillTexts texts = ComputePrefillTexts({L"E:\\Apps", L""});
  EXPECT_EQ(default_book_dir_, texts.book_text);
  EXPECT_TRUE(PathExists(default_book_dir_, true));
  EXPECT_FALSE(PathExists(default_install_dir_, false));

  DeleteTree(default_book_dir_);
  texts = ComputePrefillTexts({L"", L"E:\\Books"});
  EXPECT_EQ(default_install_dir_, texts.install_text);
  EXPECT_TRUE(PathExists(default_install_dir_, true));
  EXPECT_FALSE(PathExists(default_book_dir_, false));
}

TEST_F(InstallLocationsTest, QuickInstallTakesTheRecordedDirectoriesOnlyAsAPair) {
  WriteValue(HKEY_LOCAL_MACHINE, kInstallDirValue, L"D:\\Apps\\Bokrin\\");
  RecordedLocations quick = QuickInstallLocations();
  EXPECT_EQ(L"", quick.install_dir);
  EXPECT_EQ(L"", quick.book_dir);
  WriteValue(HKEY_CURRENT_USER, kBookDirValue, L"D:\\Books\\BokrinEBooks\\");
  quick = QuickInstallLocations();
  EXPECT_EQ(L"D:\\Apps\\Bokrin\\", quick.install_dir);
  EXPECT_EQ(L"D:\\Books\\BokrinEBooks\\", quick.book_dir);
}

// Below a fresh temporary directory: what can be created is, and a directory that then still is
// not one is named, the install directory first.
TEST(ChosenDirectoriesTest, EachIsCreatedOrNamedAsTheFault) {
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::wstring file = temp.path() + L"a file";
  const HANDLE created = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);
  const struct {
    const wchar_t* install;  // below the temporary directory; "*" the file there
    const wchar_t* book;
    ChosenDirectoryFault fault;
  } cases[] = {
      {L"app 한\\deep\\er", L"书 籍\\x", ChosenDirectoryFault::kNone},
      {L"*", L"books", ChosenDirectoryFault::kInstallDir},
      {L"*\\below", L"books", ChosenDirectoryFault::kInstallDir},
      {L"apps", L"*", ChosenDirectoryFault::kBookDir},
      {L"*", L"*", ChosenDirectoryFault::kInstallDir},
      {L"bad|name", L"books", ChosenDirectoryFault::kInstallDir},
  };
  for (const auto& c : cases) {
    const auto path = [&](const wchar_t* name) {
      const std::wstring text = name;
      return text.rfind(L"*", 0) == 0 ? file + text.substr(1) : temp.path() + text;
    };
    EXPECT_EQ(c.fault, CheckChosenDirectories(path(c.install), path(c.book))) << c.install << L" " << c.book;
    if (c.fault == ChosenDirectoryFault::kNone) {
      EXPECT_TRUE(PathExists(path(c.install), true));
      EXPECT_TRUE(PathExists(path(c.book), true));
    }
  }
}

// A folder not given in full is refused even when it exists relative to the current folder or
// drive, and nothing is created for it.
TEST(ChosenDirectoriesTest, OnlyFullPathsPass) {
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  wchar_t previous[MAX_PATH]{};
  ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(temp.path().c_str()));
  ASSERT_TRUE(CreateDirectoryW(L"existing", nullptr));
  const std::wstring full = temp.path() + L"full";
  const wchar_t drive_relative[] = {temp.path()[0], L':', L'n', L'e', L'w', L'\0'};
  const struct {
    std::wstring install;
    std::wstring book;
    ChosenDirectoryFault fault;
  } cases[] = {
      {L"existing", full, ChosenDirectoryFault::kInstallDir},
      {L"\\BokrinRooted", full, ChosenDirectoryFault::kInstallDir},
      {drive_relative, full, ChosenDirectoryFault::kInstallDir},
      {full, L"existing", ChosenDirectoryFault::kBookDir},
      {full, L"", ChosenDirectoryFault::kBookDir},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.fault, CheckChosenDirectories(c.install, c.book)) << c.install << L" | " << c.book;
  }
  EXPECT_FALSE(PathExists(temp.path() + L"new", false));
  EXPECT_FALSE(PathExists(L"\\BokrinRooted", false));
  SetCurrentDirectoryW(previous);
}

}  // namespace
