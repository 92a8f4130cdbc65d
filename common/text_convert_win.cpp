#include <windows.h>

#include <string>

#include "common/text_convert.h"

namespace {

int ToAnsi(const String16& text, char* output, int size) {
  const AnsiConversion conversion = AnsiConversionFor(GetACP());
  BOOL used_default = FALSE;
  return WideCharToMultiByte(CP_ACP, conversion.flags, text.CStr(),
                             static_cast<int>(text.Length()), output, size,
                             conversion.default_char,
                             conversion.default_char != nullptr ? &used_default : nullptr);
}

}  // namespace

AnsiConversion AnsiConversionFor(unsigned code_page) {
  // UTF-8 can hold every character, and WideCharToMultiByte refuses these flags and any
  // default character for it.
  if (code_page == CP_UTF8) return {0, nullptr};
  // Composite characters are checked and non-spacing marks dropped; what has no form in the
  // code page becomes "?".
  return {WC_COMPOSITECHECK | WC_SEPCHARS | WC_DISCARDNS | WC_DEFAULTCHAR, "?"};
}

String8 String16ToAnsi(const String16& text) {
  String8 result;
  if (text.IsEmpty()) {
    return result;
  }
  const int size = ToAnsi(text, nullptr, 0);
  if (size <= 0) {
    return result;
  }
  result.Append(static_cast<size_t>(size), ' ');
  if (ToAnsi(text, result.Writable(), size) != size) {
    return String8();
  }
  return result;
}

String16 AnsiToString16(const String8& text) {
  String16 result;
  if (text.IsEmpty()) {
    return result;
  }
  const int length = static_cast<int>(text.Length());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.CStr(), length, nullptr, 0);
  if (size <= 0) {
    return result;
  }
  result.Append(static_cast<size_t>(size), L' ');
  if (MultiByteToWideChar(CP_ACP, 0, text.CStr(), length, result.Writable(), size) != size) {
    return String16();
  }
  return result;
}

bool WideToAnsi(const std::wstring& input, std::string& output) {
  output.clear();
  if (input.empty()) {
    return true;
  }
  const int length = static_cast<int>(input.size());
  const int size =
      WideCharToMultiByte(CP_ACP, 0, input.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) {
    return false;
  }
  output.resize(static_cast<size_t>(size));
  if (WideCharToMultiByte(CP_ACP, 0, input.data(), length, &output[0], size, nullptr, nullptr) !=
      size) {
    output.clear();
    return false;
  }
  return true;
}

std::string GbkToUtf8(const char* text) {
  if (text == nullptr) {
    return std::string();
  }
  const int units = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
  if (units <= 0) {
    return std::string();
  }
  std::wstring wide(static_cast<size_t>(units) + 1, L'\0');
  if (MultiByteToWideChar(936, 0, text, -1, &wide[0], units) <= 0) {
    return std::string();
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) {
    return std::string();
  }
  std::string utf8(static_cast<size_t>(bytes) + 1, '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], bytes, nullptr, nullptr) <= 0) {
    return std::string();
  }
  // Both conversions counted the terminator; the text ends at the first zero.
  return std::string(utf8.c_str());
}

std::string WideToCodePage(unsigned code_page, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(code_page, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  if (WideCharToMultiByte(code_page, 0, text.c_str(), length, &narrow[0], bytes, nullptr, nullptr) != bytes) {
    return std::string();
  }
  return narrow;
}

std::wstring CodePageToWide(unsigned code_page, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(units), L'\0');
  if (MultiByteToWideChar(code_page, 0, text.data(), length, &wide[0], units) != units) {
    return std::wstring();
  }
  return wide;
}
