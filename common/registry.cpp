#include "common/registry.h"

#include <windows.h>

#include <cwchar>

namespace {

// Values are read into a buffer of MAX_PATH characters; longer ones are refused whole
// rather than cut, so a caller never acts on a truncated path.
constexpr DWORD kValueBufferChars = MAX_PATH;

}  // namespace

ScopedRegKey RegOpenOrCreateKey(HKEY root, const wchar_t* sub_key) {
  // The handle is adopted only on success: a failed call gives no promise about the slot.
  HKEY raw_key = nullptr;
  const LONG status = RegOpenKeyExW(root, sub_key, 0, KEY_ALL_ACCESS, &raw_key);
  if (status == ERROR_SUCCESS) return ScopedRegKey(raw_key);
  if (status != ERROR_FILE_NOT_FOUND) return ScopedRegKey();
  if (RegCreateKeyExW(root, sub_key, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &raw_key, nullptr) != ERROR_SUCCESS) {
    return ScopedRegKey();
  }
  return ScopedRegKey(raw_key);
}

void RegWriteValue(HKEY key, const wchar_t* name, DWORD type, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
}

std::wstring RegReadString(HKEY key, const wchar_t* name, DWORD type) {
  DWORD size = sizeof(DWORD);
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
  if (size > kValueBufferChars * sizeof(wchar_t)) return {};

  wchar_t buffer[kValueBufferChars] = {};
  size = sizeof(buffer);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  // A value that fills the buffer without a terminating zero is one character too long.
  const size_t length = wcsnlen(buffer, kValueBufferChars);
  if (length == kValueBufferChars) return {};
  return std::wstring(buffer, length);
}
