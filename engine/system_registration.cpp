#include "engine/system_registration.h"

#include <windows.h>
#include <shlobj.h>

#include "common/registry.h"
#include "common/scoped_com.h"
#include "common/system_failure.h"
#include "engine/registration_texts.h"

namespace {

const wchar_t kOpenCommandKey[] = L"Software\\Classes\\Applications\\Bokrin.exe\\shell\\open\\command";
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bokrin";
const wchar_t kWhere[] = L"Registration";

}  // namespace

bool CreateShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* link_path,
                    const wchar_t* icon_path) {
  ScopedComApartment com;
  if (!ComSucceeded(com.result(), kWhere, L"shortcut %ls: COM cannot be initialised", link_path)) return false;
  ComPtr<IShellLinkW> link;
  if (!ComSucceeded(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)),
                    kWhere, L"shortcut %ls: no shell link object", link_path)) {
    return false;
  }
  // A link that misses one of its parts would start the wrong thing, so it is not saved.
  const std::wstring working_dir = LinkWorkingDirectory(target);
  if (!ComSucceeded(link->SetPath(target), kWhere, L"shortcut %ls: target %ls not taken", link_path, target) ||
      !ComSucceeded(link->SetWorkingDirectory(working_dir.c_str()), kWhere,
                    L"shortcut %ls: working directory %ls not taken", link_path, working_dir.c_str()) ||
      !ComSucceeded(link->SetArguments(arguments), kWhere, L"shortcut %ls: arguments not taken", link_path)) {
    return false;
  }
  if (icon_path != nullptr && !ComSucceeded(link->SetIconLocation(icon_path, 0), kWhere,
                                            L"shortcut %ls: icon %ls not taken", link_path, icon_path)) {
    return false;
  }
  ComPtr<IPersistFile> file;
  if (!ComSucceeded(link.As(&file), kWhere, L"shortcut %ls: the link cannot be stored", link_path)) return false;
  return ComSucceeded(file->Save(link_path, FALSE), kWhere, L"shortcut %ls not saved", link_path);
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
