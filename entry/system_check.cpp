#include "entry/system_check.h"

#include <windows.h>

bool IsSystemTooOld() {
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return true;
  return version.dwMajorVersion < 6;
}
