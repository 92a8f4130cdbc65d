#include "common/system_library.h"

#include <delayimp.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <string>

#include "common/testing/scoped_temp_dir.h"

namespace {

std::wstring SystemDirectory() {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  return std::wstring(path, length) + L"\\";
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetModuleFileNameW(module, path, MAX_PATH));
}

// What the delay-load helper gets from the hook when it is about to load `name`.
HMODULE HookedLoad(const char* name) {
  DelayLoadInfo info = {};
  info.cb = sizeof(info);
  info.szDll = name;
  return reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(dliNotePreLoadLibrary, &info));
}

bool InFolder(const std::wstring& path, const std::wstring& folder) {
  return CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

TEST(LoadSystemLibrary, LoadsFromTheSystemDirectory) {
  for (const wchar_t* name : {L"winhttp.dll", L"wininet.dll", L"crypt32.dll", L"rstrtmgr.dll"}) {
    const ScopedLibrary module = LoadSystemLibrary(name);
    ASSERT_TRUE(module) << name;
    EXPECT_TRUE(InFolder(ModulePath(module.Get()), SystemDirectory())) << ModulePath(module.Get());
  }
}

TEST(LoadSystemLibrary, IgnoresACopyInTheCurrentDirectory) {
  const ScopedTempDir dir;
  ASSERT_FALSE(dir.path().empty());
  // Any image will do as the copy: a DLL is looked for by its name, whatever it holds.
  const std::wstring copy = dir.path() + L"bokrin_planted.dll";
  ASSERT_TRUE(CopyFileW(ModulePath(nullptr).c_str(), copy.c_str(), FALSE));
  wchar_t previous[MAX_PATH];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, previous), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));

  const ScopedLibrary searched(LoadLibraryExW(L"bokrin_planted.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const ScopedLibrary loaded = LoadSystemLibrary(L"bokrin_planted.dll");
  const DWORD error = GetLastError();
  const ScopedLibrary hooked(HookedLoad("bokrin_planted.dll"));
  SetCurrentDirectoryW(previous);

  // The plain search finds the copy, so the system-only loads had it in reach.
  EXPECT_TRUE(searched);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(hooked);
}

TEST(DelayImportedLibraries, StayLoadedFromTheSystemDirectory) {
  EXPECT_TRUE(LoadDelayImportedLibraries());
  // Kept loaded, so that a system DLL's own load of it by name finds this copy.
  for (const wchar_t* name : {L"winhttp.dll", L"wininet.dll", L"crypt32.dll"}) {
    const HMODULE module = GetModuleHandleW(name);
    ASSERT_NE(module, nullptr) << name;
    EXPECT_TRUE(InFolder(ModulePath(module), SystemDirectory())) << ModulePath(module);
  }
  // The program's hook, not the toolchain's empty default, is what the helper asks.
  ASSERT_NE(__pfnDliNotifyHook2, nullptr);
  const ScopedLibrary hooked(HookedLoad("winhttp.dll"));
  ASSERT_TRUE(hooked);
  EXPECT_TRUE(InFolder(ModulePath(hooked.Get()), SystemDirectory())) << ModulePath(hooked.Get());
  // Through the delay-import library: the first call loads the DLL through the hook.
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  ASSERT_TRUE(WinHttpCrackUrl(L"https://bokrin.invalid/x", 0, 0, &parts));
  EXPECT_EQ(parts.nPort, INTERNET_DEFAULT_HTTPS_PORT);
  const HMODULE winhttp = GetModuleHandleW(L"winhttp.dll");
  ASSERT_NE(winhttp, nullptr);
  EXPECT_TRUE(InFolder(ModulePath(winhttp), SystemDirectory())) << ModulePath(winhttp);
}

}  // namespace
