#pragma once
// Conversions between UTF-8, the system ANSI code page, code page 936 and UTF-16.
// None keeps state and none reports anything but its result.
#include <cstddef>
#include <string>

#include "common/shared_string.h"
#include "common/utf16.h"

// Portable.
size_t Utf8CharCount(const char* text);
// Code points above U+FFFF become surrogate pairs; a sequence cut short by the terminating
// zero is dropped, and nothing past the terminator is ever read.
String16 Utf8ToString16(const char* text);
String16 Utf8ToString16(const String8& text);
// `count` units (zeros included) as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf16ToUtf8(const Utf16Char* units, size_t count);

#ifdef _WIN32
// How String16ToAnsi asks WideCharToMultiByte to convert into `code_page`.
struct AnsiConversion {
  unsigned long flags;
  const char* default_char;  // null: none, and no used-default flag either
};
AnsiConversion AnsiConversionFor(unsigned code_page);

// Win32: these follow the process's code pages.
String8 String16ToAnsi(const String16& text);
String16 AnsiToString16(const String8& text);
bool WideToAnsi(const std::wstring& input, std::string& output);
std::string GbkToUtf8(const char* text);

// `text` in the given code page (CP_UTF8, 936, CP_ACP, ...); what the code page lacks becomes
// its default character. Empty on failure.
std::string WideToCodePage(unsigned code_page, const std::wstring& text);
// `text`, given in the code page, as UTF-16; empty on failure.
std::wstring CodePageToWide(unsigned code_page, const std::string& text);
#endif
