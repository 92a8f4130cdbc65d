#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "common/system_failure.h"
#include "identity/guid_text.h"

String8 NewGuidText() {
  GUID guid;
  if (!ComSucceeded(CoCreateGuid(&guid), L"Identity", L"no GUID created")) {
    // The standard-error line stays for whoever runs the installer from a console.
    std::fputs("create guid error\n", stderr);
    return String8();
  }
  return FormatGuidText(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}
