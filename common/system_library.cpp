#include "common/system_library.h"

#include <delayimp.h>

#include "common/system_failure.h"

ScopedLibrary LoadSystemLibrary(const wchar_t* name) {
  ScopedLibrary module(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  // Vista without its loader update does not know the flag; the full path of the system
  // directory keeps the program's folder out there too, for the DLL and its dependencies.
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || lstrlenW(name) + length + 2 > MAX_PATH) return module;
  lstrcatW(path, L"\\");
  lstrcatW(path, name);
  module.Reset(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  return module;
}

namespace {

// The delay-load helper asks this first. A module it gets is used as it is; only when it gets
// none does it fall back to LoadLibraryA, which could only find a DLL that System32 lacks, and
// LoadDelayImportedLibraries found every one there at the start.
FARPROC WINAPI LoadDelayImportedLibrary(unsigned notification, PDelayLoadInfo info) {
  if (notification != dliNotePreLoadLibrary) return nullptr;
  // Delay-import names are ASCII.
  wchar_t name[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, info->szDll, -1, name, MAX_PATH) == 0) return nullptr;
  // The helper keeps the module for the rest of the process.
  return reinterpret_cast<FARPROC>(LoadSystemLibrary(name).Release());
}

}  // namespace

// Read by the toolchain's delay-load helper (__delayLoadHelper2 of libmingwex). Every program
// that links a delay-import library also links this definition (see bokrin_delay_imports).
PfnDliHook __pfnDliNotifyHook2 = LoadDelayImportedLibrary;

bool LoadDelayImportedLibraries() {
  static const wchar_t* const kLibraries[] = {
#include "delay_imported_dlls.inc"
  };
  for (const wchar_t* name : kLibraries) {
    if (!LoadSystemLibrary(name).Release()) {
      LogSystemFailure(L"Start", LastError(), L"%ls cannot be loaded from the system directory", name);
      return false;
    }
  }
  return true;
}
