#include "entry/system_check.h"

#include <windows.h>

#include "common/system_library.h"

bool IsSystemTooOld() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return true;
  // A system without one of the DLLs the program loads at run time lacks what it needs as much.
  return version.dwMajorVersion < 6 || !LoadDelayImportedLibraries();
}
