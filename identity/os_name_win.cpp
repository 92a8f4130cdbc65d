#include <windows.h>

#include "identity/os_name.h"

String8 GetOsName() {
  OsVersionFacts facts;
  OSVERSIONINFOEXW version = {};
  version.dwOSVersionInfoSize = sizeof version;
  facts.versionKnown = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version)) != FALSE;
  facts.major = version.dwMajorVersion;
  facts.minor = version.dwMinorVersion;
  facts.platformId = version.dwPlatformId;
  facts.productType = version.wProductType;

  // The native view, so that a 32-bit installer on a 64-bit system sees the real processor.
  SYSTEM_INFO system = {};
  GetNativeSystemInfo(&system);
  facts.processorArchitecture = system.wProcessorArchitecture;
  facts.serverR2Metric = GetSystemMetrics(SM_SERVERR2);
  return String8(OsNameFor(facts));
}
