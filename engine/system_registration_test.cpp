#include "engine/system_registration.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/registry.h"
#include "common/scoped_com.h"
#include "common/testing/registry_views.h"
#include "common/testing/setup_log_reading.h"
#include "common/text_convert.h"

namespace {

const wchar_t kOpenCommandKey[] = L"Software\\Classes\\Applications\\Bokrin.exe\\shell\\open\\command";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bokrin";

class RegistryEntries : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Applications\\Bokrin.exe");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
  }
};

TEST_F(RegistryEntries, OpenCommandQuotesExecutableAndDocument) {
  RegisterOpenCommand(L"C:\\Apps\\Bokrin\\");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kOpenCommandKey, L""),
            L"\"C:\\Apps\\Bokrin\\Bokrin.exe\" \"%1\"");
  RegisterOpenCommand(L"D:\\阅读\\");
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kOpenCommandKey, L""), L"\"D:\\阅读\\Bokrin.exe\" \"%1\"");
}

TEST_F(RegistryEntries, UninstallEntryIsOverwrittenBySecondInstallation) {
  struct Install {
    const wchar_t* dir;
    const wchar_t* version;
  };
  for (const Install& install : {Install{L"C:\\Old\\", L"1.13.5"}, Install{L"C:\\Apps\\Bokrin\\", L""}}) {
    WriteUninstallEntry(install.dir, install.version);
  }
  const std::pair<const wchar_t*, const wchar_t*> expected[] = {
      {L"DisplayIcon", L"C:\\Apps\\Bokrin\\Bokrin.exe"},
      {L"DisplayName", L"Bokrin阅读"},
      {L"DisplayVersion", L""},
      {L"UninstallString", L"\"C:\\Apps\\Bokrin\\Uninstall.exe\""},
      {L"Publisher", L"Quillmark"},
  };
  for (const auto& value : expected) {
    EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, value.first), value.second) << value.first;
  }
  // The entry is in the program's own view alone: Windows lists a 32-bit program's entry from
  // the 32-bit view.
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", kOtherRegistryView), L"<no key>");
}

TEST_F(RegistryEntries, AnnouncedVersionOfAnyLengthIsStoredCut) {
  const std::wstring version(900 * 1024, L'9');
  WriteUninstallEntry(L"C:\\Program Files\\Bokrin\\", version);
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"), version.substr(0, 64));
  EXPECT_EQ(ReadRegistryString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
            L"\"C:\\Program Files\\Bokrin\\Uninstall.exe\"");
}

class Shortcut : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"shortcut target 阅读\\";
    CreateDirectoryW(dir_.c_str(), nullptr);
    target_ = dir_ + L"Bokrin.exe";
    link_ = dir_ + L"Bokrin阅读.lnk";
    const ScopedHandle file(CreateFileW(target_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DeleteFileW(link_.c_str());
  }
  void TearDown() override {
    DeleteFileW(link_.c_str());
    DeleteFileW(target_.c_str());
    RemoveDirectoryW(dir_.c_str());
  }

  std::wstring dir_;
  std::wstring target_;
  std::wstring link_;
};

struct LinkFields {
  std::wstring path;
  std::wstring arguments;
  std::wstring working_dir;
  std::wstring icon;
  int icon_index = -1;
};

bool ReadLink(const std::wstring& link_path, LinkFields* fields) {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
      FAILED(link.As(&file)) || FAILED(file->Load(link_path.c_str(), STGM_READ))) {
    return false;
  }
  wchar_t text[MAX_PATH] = {};
  link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
  fields->path = text;
  text[0] = 0;
  link->GetArguments(text, MAX_PATH);
  fields->arguments = text;
  text[0] = 0;
  link->GetWorkingDirectory(text, MAX_PATH);
  fields->working_dir = text;
  text[0] = 0;
  link->GetIconLocation(text, MAX_PATH, &fields->icon_index);
  fields->icon = text;
  return true;
}

TEST_F(Shortcut, LinkStartsTargetInItsDirectoryWithItsIcon) {
  ASSERT_TRUE(CreateShortcut(target_.c_str(), L"", link_.c_str(), target_.c_str()));
  const ScopedComApartment com;
  LinkFields fields;
  ASSERT_TRUE(ReadLink(link_, &fields));
  EXPECT_EQ(fields.path, target_);
  EXPECT_EQ(fields.arguments, L"");
  EXPECT_EQ(fields.working_dir, dir_.substr(0, dir_.size() - 1));
  EXPECT_EQ(fields.icon, target_);
  EXPECT_EQ(fields.icon_index, 0);
}

TEST_F(Shortcut, SecondLinkReplacesFirstAndKeepsArguments) {
  ASSERT_TRUE(CreateShortcut(target_.c_str(), L"--old", link_.c_str(), nullptr));
  ASSERT_TRUE(CreateShortcut(target_.c_str(), L"\"%1\"", link_.c_str(), nullptr));
  const ScopedComApartment com;
  LinkFields fields;
  ASSERT_TRUE(ReadLink(link_, &fields));
  EXPECT_EQ(fields.arguments, L"\"%1\"");
  EXPECT_EQ(fields.icon, L"");
}

// The failed save is a line of the setup log with the link and the HRESULT. The only test here
// that opens the log.
TEST_F(Shortcut, UnwritableLinkPathIsFailure) {
  const std::wstring log_path = OpenOwnSetupLog(L"system_registration_test");
  const std::wstring link = dir_ + L"missing\\Bokrin阅读.lnk";
  EXPECT_FALSE(CreateShortcut(target_.c_str(), L"", link.c_str(), nullptr));
  const std::string logged = WideToCodePage(CP_UTF8, L"Registration: shortcut " + link + L" not saved, HRESULT 0x");
  const std::string log = ReadSharedFile(log_path);
  EXPECT_NE(log.find(logged), std::string::npos) << log;
}

}  // namespace
