#pragma once
// Recognising the reading client from what it leaves behind: the process id that it records
// as decimal text, and the file name of its executable.
#include <cstdint>

#include "common/utf16.h"

// The number formed by the text's leading decimal digits; 0 when it starts with no digit or
// the number is too large to be a process id.
uint32_t ParseClientProcessId(const WString& text);

// True when the file name at the end of `image_path` is "Bokrin.exe", in any letter case.
bool IsClientExecutable(const WString& image_path);
