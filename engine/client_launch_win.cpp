#include "engine/client_launch.h"
#include "engine/client_launch_win.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "common/registry.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/install_path_safety_win.h"
#include "engine/registration_texts.h"

namespace {

std::wstring RecordedInstallDir() {
  // A key that cannot be opened has been logged with its status; its value then reads empty.
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Bokrin");
  return RegReadString(key.Get(), L"Bokrin", REG_SZ);
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool StartFromThisInstaller(const ShellStartRequest& request) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  // The wizard reports a failed start itself; a second box from the shell would only repeat it.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = request.file.c_str();
  info.lpParameters = request.parameters.c_str();
  info.nShow = request.show;
  if (!ShellExecuteExW(&info)) {
    LogSystemFailure(L"Launch", LastError(), L"%ls not started", request.file.c_str());
    return false;
  }
  return true;
}

bool StartInstalledClient(const ClientStartRoutes& routes) {
  const std::wstring install_dir = RecordedInstallDir();
  if (!IsFullDirectoryPath(install_dir)) {
    // Missing, unreadable and too long values all read as empty.
    SetupLog(L"Launch refused: the recorded install directory \"%ls\" is not a full path",
             install_dir.c_str());
    return false;
  }
  const ShellStartRequest request = {ClientExePath(install_dir), LaunchParameters(install_dir), SW_SHOW};
  SetupLog(L"Launch: starting %ls %ls", request.file.c_str(), request.parameters.c_str());
  // Judged now rather than at the installation, so that it holds for the folder as it is when
  // the client starts, also after a restart of the installer.
  const bool user_writable = IsWritableByStandardUsers(install_dir);
  if (user_writable) {
    SetupLog(L"Launch: standard users can write %ls, so the client there may be theirs; only the desktop's shell "
             L"may start it, with the desktop user's rights",
             install_dir.c_str());
  }
  if (!IsExistingFile(request.file)) {
    SetupLog(L"Launch: %ls is missing; the desktop's shell is not asked, it would show a box of its own",
             request.file.c_str());
  } else if (routes.desktop_shell(request)) {
    SetupLog(L"Launch: the client was started by the desktop's shell, with the desktop user's rights");
    return true;
  } else if (!user_writable) {
    SetupLog(L"Launch: the desktop's shell did not start the client; this installer starts it itself");
  }
  if (user_writable) {
    SetupLog(L"Launch refused: this installer does not start a client that standard users could have replaced "
             L"with its own rights");
    return false;
  }
  if (!routes.direct(request)) return false;
  SetupLog(L"Launch: the client was started by this installer, with its rights");
  return true;
}

bool StartInstalledClient() { return StartInstalledClient({StartThroughDesktopShell, StartFromThisInstaller}); }
