#pragma once
// The program's version for the setup log's first line, read from its version resource
// directly: the version library would be one more DLL that the loader could take from beside a
// downloaded setup program.
#include <cstddef>

#include "common/utf16.h"

// The file version of a version resource (VS_VERSIONINFO) as "a.b.c.d"; empty when `data` is
// not one.
WString FileVersionText(const unsigned char* data, size_t size);
