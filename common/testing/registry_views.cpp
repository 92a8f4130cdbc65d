#include "common/testing/registry_views.h"

#include "common/scoped_handle.h"

std::wstring ReadRegistryString(HKEY root, const wchar_t* key_path, const wchar_t* name, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, key_path, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return L"<no key>";
  const ScopedRegKey owner(key);
  DWORD type = 0;
  wchar_t buffer[512] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS) {
    return L"<no value>";
  }
  return type == REG_SZ ? std::wstring(buffer) : L"<not REG_SZ>";
}
