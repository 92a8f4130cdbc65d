#include <windows.h>

#include <cstring>

#include "common/product_names.h"
#include "entry/client_shutdown.h"
#include "entry/dll_search.h"
#include "entry/instance_check.h"
#include "entry/system_check.h"

namespace {

// Asks the wizard of the installer that is already open to come forward.
constexpr UINT WM_WIZARD_ACTIVATE = WM_USER + 13;

void ShowSystemTooOldBox() {
  MessageBoxW(nullptr, L"抱歉，您的系统太旧，Bokrin阅读有可能不支持该系统,请升级系统后重试！", L"警告",
              MB_ICONWARNING | MB_OK);
}

// The other installer's wizard carries the instance name as its window title too.
void ActivateOtherWizard() {
  HWND other = FindWindowW(nullptr, kInstanceName);
  if (other == nullptr) return;
  SetForegroundWindow(other);
  PostMessageW(other, WM_WIZARD_ACTIVATE, 1, 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  // Before anything can load a DLL: never from beside the downloaded setup program.
  RestrictDllSearchToSystem32();

  if (IsSystemTooOld()) {
    ShowSystemTooOldBox();
    return 0;
  }
  ShutDownRunningClient();
  SetProcessDPIAware();

  // The whole command line "1" opens a wizard even when another one is open.
  const bool skip_instance_check = command_line != nullptr && std::strcmp(command_line, "1") == 0;
  if (!skip_instance_check && !FindRunningWizard()) {
    ActivateOtherWizard();
    return 0;
  }
  return 0;
}
