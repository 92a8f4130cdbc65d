#include "engine/system_registration.h"

#include <windows.h>
#include <shlobj.h>

#include "common/registry.h"
#include "common/scoped_com.h"
#include "engine/registration_texts.h"

namespace {

const wchar_t kOpenCommandKey[] = L"Software\\Classes\\Applications\\Bokrin.exe\\shell\\open\\command";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bokrin";

}  // namespace

bool CreateShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* link_path,
                    const wchar_t* icon_path) {
  ScopedComApartment com;
  if (!com.Succeeded()) return false;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
    return false;
  }
  // A link that misses one of its parts would start the wrong thing, so it is not saved.
  const std::wstring working_dir = LinkWorkingDirectory(target);
  if (FAILED(link->SetPath(target)) || FAILED(link->SetWorkingDirectory(working_dir.c_str())) ||
      FAILED(link->SetArguments(arguments))) {
    return false;
  }
  if (icon_path != nullptr && FAILED(link->SetIconLocation(icon_path, 0))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link.As(&file))) return false;
  return SUCCEEDED(file->Save(link_path, FALSE));
}

void RegisterOpenCommand(const std::wstring& install_dir) {
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, kOpenCommandKey);
  if (!key) return;
  RegWriteValue(key.Get(), L"", REG_SZ, OpenCommandText(install_dir));
}

void WriteUninstallEntry(const std::wstring& install_dir, const std::wstring& version) {
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, kUninstallKey);
  if (!key) return;
  for (const RegistryText& value : UninstallEntryValues(install_dir, version)) {
    RegWriteValue(key.Get(), value.name, REG_SZ, value.text);
  }
}
