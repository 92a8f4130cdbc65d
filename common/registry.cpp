#include "common/registry.h"

#include <windows.h>

#include <cwchar>

#include "common/system_failure.h"

namespace {

// Values are read into a buffer of MAX_PATH characters; longer ones are refused whole
// rather than cut, so a caller never acts on a truncated path.
constexpr DWORD kValueBufferChars = MAX_PATH;

const wchar_t* RootKeyName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE";
  if (root == HKEY_CURRENT_USER) return L"HKEY_CURRENT_USER";
  return L"(another root)";
}

ScopedRegKey KeyFailure(HKEY root, const wchar_t* sub_key, const wchar_t* failed, LONG status) {
  LogSystemFailure(L"Registry", SystemCode::RegistryStatus(status), L"key %ls\\%ls cannot be %ls",
                   RootKeyName(root), sub_key, failed);
  return ScopedRegKey();
}

}  // namespace

ScopedRegKey RegOpenOrCreateKey(HKEY root, const wchar_t* sub_key) {
  // The handle is adopted only on success: a failed call gives no promise about the slot.
  HKEY raw_key = nullptr;
  const LONG status = RegOpenKeyExW(root, sub_key, 0, KEY_ALL_ACCESS, &raw_key);
  if (status == ERROR_SUCCESS) return ScopedRegKey(raw_key);
  if (status != ERROR_FILE_NOT_FOUND) return KeyFailure(root, sub_key, L"opened", status);
  const LONG created = RegCreateKeyExW(root, sub_key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_ALL_ACCESS, nullptr, &raw_key, nullptr);
  if (created != ERROR_SUCCESS) return KeyFailure(root, sub_key, L"created", created);
  return ScopedRegKey(raw_key);
}

void RegWriteValue(HKEY key, const wchar_t* name, DWORD type, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  const LONG status =
      RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
  // Callers go on with their next value either way; the log keeps what was lost.
  if (status != ERROR_SUCCESS) {
    LogSystemFailure(L"Registry", SystemCode::RegistryStatus(status), L"value \"%ls\" cannot be written",
                     name == nullptr || name[0] == L'\0' ? L"(default)" : name);
  }
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
