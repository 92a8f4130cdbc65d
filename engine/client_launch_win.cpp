#include "engine/client_launch.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "common/registry.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/registration_texts.h"

namespace {

std::wstring RecordedInstallDir() {
  // A key that cannot be opened has been logged with its status; its value then reads empty.
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bokrin");
  return RegReadString(key.Get(), L"Bokrin", REG_SZ);
}

}  // namespace

bool StartInstalledClient() {
  const std::wstring install_dir = RecordedInstallDir();
  if (!IsFullDirectoryPath(install_dir)) {
    // Missing, unreadable and too long values all read as empty.
    SetupLog(L"Launch refused: the recorded install directory \"%ls\" is not a full path",
             install_dir.c_str());
    return false;
  }
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
  SetupLog(L"Launch: starting %ls %ls", file.c_str(), parameters.c_str());
  if (!ShellExecuteExW(&info)) {
    LogSystemFailure(L"Launch", LastError(), L"%ls not started", file.c_str());
    return false;
  }
  SetupLog(L"Launch: the client was started");
  return true;
}
