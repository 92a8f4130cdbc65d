#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/registry.h"
#include "engine/system_registration.h"
#include "tools/standin/standin_install.h"

namespace {

const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bokrin";

std::wstring ShortcutIn(int folder) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Bokrin阅读.lnk";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool HasKey(HKEY root, const wchar_t* key_path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool HasValue(HKEY root, const wchar_t* key_path, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const ScopedRegKey owner(key);
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TEST(StandinUninstaller, TakesAwayWhatInstallerWrote) {
  StandinInstall install(L"standin uninstall");
  ASSERT_TRUE(install.ok());
  const std::wstring& dir = install.dir();
  ASSERT_TRUE(CreateDirectoryW((dir + L"openglessl").c_str(), nullptr));
  ASSERT_TRUE(install.CopyClientAs(L"openglessl\\settings.txt"));
  const std::wstring programs_link = ShortcutIn(CSIDL_PROGRAMS);
  SHCreateDirectoryExW(nullptr, programs_link.substr(0, programs_link.rfind(L'\\')).c_str(), nullptr);
  for (int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS}) {
    ASSERT_TRUE(CreateShortcut((dir + L"Bokrin.exe").c_str(), L"", ShortcutIn(folder).c_str(), nullptr));
  }
  RegisterOpenCommand(dir);
  WriteUninstallEntry(dir, L"1.13.6");
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const ScopedRegKey key = RegOpenOrCreateKey(root, L"SOFTWARE\\Bokrin");
    for (const wchar_t* name : {L"Bokrin", L"BokrinEbook", L"BokrinAppDate", L"BokrinPackage", L"BokrinID", L"Kept"}) {
      RegWriteValue(key.Get(), name, REG_SZ, L"x");
    }
  }

  const HANDLE uninstaller = install.Start(L"Uninstall.exe", L"");
  ASSERT_NE(uninstaller, nullptr);
  ASSERT_EQ(WaitForSingleObject(uninstaller, 20000), WAIT_OBJECT_0);

  EXPECT_FALSE(Exists(dir + L"Bokrin.exe"));
  EXPECT_FALSE(Exists(dir + L"openglessl"));
  // A running program cannot delete itself; it is left for the next restart.
  EXPECT_TRUE(Exists(dir + L"Uninstall.exe"));
  for (int folder : {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS}) EXPECT_FALSE(Exists(ShortcutIn(folder)));
  EXPECT_FALSE(HasKey(HKEY_CURRENT_USER, L"Software\\Classes\\Applications\\Bokrin.exe"));
  EXPECT_FALSE(HasKey(HKEY_LOCAL_MACHINE, kUninstallKey));
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    for (const wchar_t* name : {L"Bokrin", L"BokrinEbook", L"BokrinAppDate", L"BokrinPackage", L"BokrinID"}) {
      EXPECT_FALSE(HasValue(root, L"SOFTWARE\\Bokrin", name)) << name;
    }
    EXPECT_TRUE(HasValue(root, L"SOFTWARE\\Bokrin", L"Kept"));
  }
}

}  // namespace
