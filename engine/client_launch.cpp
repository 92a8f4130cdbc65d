#include "engine/client_launch.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "common/registry.h"
#include "engine/registration_texts.h"

namespace {

std::wstring RecordedInstallDir() {
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bokrin");
  return RegReadString(key.Get(), L"Bokrin", REG_SZ);
}

}  // namespace

bool StartInstalledClient() {
  const std::wstring install_dir = RecordedInstallDir();
  const std::wstring file = ClientExePath(install_dir);
  const std::wstring parameters = LaunchParameters(install_dir);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  // The wizard reports a failed start itself; a second box from the shell would only repeat it.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOW;
  return ShellExecuteExW(&info) != FALSE;
}
