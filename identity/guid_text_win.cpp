#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "identity/guid_text.h"

String8 NewGuidText() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) {
    std::fputs("create guid error\n", stderr);
    return String8();
  }
  return FormatGuidText(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}
