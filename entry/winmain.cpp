#include <windows.h>

#include <cstring>

#include "common/product_names.h"
#include "common/setup_log.h"
#include "engine/exit_code.h"
#include "engine/rollback_journal.h"
#include "entry/client_shutdown.h"
#include "entry/dll_search.h"
#include "entry/instance_check.h"
#include "entry/skin_log.h"
#include "entry/system_check.h"
#include "skinui/core/uimanager.h"
#include "wizard/install_guide_wnd.h"
#include "wizard/wizard_messages.h"

namespace {

// The skin archive resource.
constexpr wchar_t kSkinResourceType[] = L"ZIPRES";
constexpr WORD kSkinResourceId = 129;

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

// Hands the skin archive embedded in the program to the toolkit. Without it the wizard is still
// created: its windows then say that their skin could not be loaded.
void LoadSkinResource() {
  HMODULE module = SkinUI::CSkinManagerUI::GetResourceDll();
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kSkinResourceId), kSkinResourceType);
  if (resource == nullptr) return;
  HGLOBAL loaded = LoadResource(module, resource);
  const DWORD size = SizeofResource(module, resource);
  // Resource data stays mapped for the life of the process, as the toolkit needs it.
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data != nullptr && size > 0) SkinUI::CSkinManagerUI::SetResourceZip(data, size, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  // Before anything can load a DLL: never from beside the downloaded setup program.
  RestrictDllSearchToSystem32();
  // Before the client shutdown, whose steps are logged too.
  OpenSetupLog();

  // Each path ends with the code that tells a caller how the run went (engine/exit_code.h).
  if (IsSystemTooOld()) {
    ShowSystemTooOldBox();
    return static_cast<int>(ExitCode::kSystemTooOld);
  }
  ShutDownRunningClient();
  SetProcessDPIAware();

  // The whole command line "1" opens a wizard even when another one is open.
  const bool skip_instance_check = command_line != nullptr && std::strcmp(command_line, "1") == 0;
  if (!skip_instance_check && !FindRunningWizard()) {
    ActivateOtherWizard();
    return static_cast<int>(ExitCode::kAnotherInstaller);
  }
  // An installation that a killed installer left half done is undone before anything else;
  // one that a running installer still keeps (command line "1") is left to it.
  RecoverUnfinishedInstallation();
  SkinUI::CSkinManagerUI::SetInstance(instance);
  LogSkinDiagnostics();
  LoadSkinResource();
  ShowInstallGuideWnd(nullptr);
  SkinUI::CSkinManagerUI::MessageLoop();
  return static_cast<int>(InstallerExitCode());
}
