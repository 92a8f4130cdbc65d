#pragma once
// One UTF-16 code unit. On Windows it is wchar_t, so wide texts go to the API as they are;
// natively (where wchar_t is 32 bits) it is char16_t, so portable code and its tests see the
// same units as the Windows build does.
#include <string>

#ifdef _WIN32
using Utf16Char = wchar_t;
#define U16(text) L##text
#else
using Utf16Char = char16_t;
#define U16(text) u##text
#endif

// The standard wide string of the program: std::wstring on Windows.
using WString = std::basic_string<Utf16Char>;
