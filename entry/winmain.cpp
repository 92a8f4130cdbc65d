#include <windows.h>

#include "common/product_names.h"
#include "common/scoped_com.h"
#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/exit_code.h"
#include "engine/rollback_journal.h"
#include "entry/client_shutdown.h"
#include "entry/command_line.h"
#include "entry/dll_search.h"
#include "entry/instance_check.h"
#include "entry/silent_install.h"
#include "entry/skin_log.h"
#include "entry/system_check.h"
#include "entry/usage_text.h"
#include "skinui/core/uimanager.h"
#include "wizard/install_guide_wnd.h"
#include "wizard/wizard_messages.h"

namespace {

// The skin archive resource.
constexpr wchar_t kSkinResourceType[] = L"ZIPRES";
constexpr WORD kSkinResourceId = 129;

void ShowUsageBox(const InstallerCommandLine& command_line) {
  const bool refused = command_line.fault != CommandLineFault::kNone;
  MessageBoxW(nullptr, UsageText(command_line.fault, command_line.faulty_switch).c_str(), kUsageBoxTitle,
              MB_OK | (refused ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// A silent run holds the installer lock and shows no window to bring forward.
void ShowSilentRunBusyBox() {
  MessageBoxW(nullptr, L"Bokrin阅读正在后台安装，请在安装结束后再试！", kUsageBoxTitle, MB_ICONINFORMATION | MB_OK);
}

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

// The wizard's run, from the system check to the end of its message loop.
ExitCode RunWizard(HINSTANCE instance, const InstallerCommandLine& command_line) {
  // Before anything else is touched: a command line that cannot be carried out ends the run.
  if (command_line.fault != CommandLineFault::kNone || command_line.help) {
    ShowUsageBox(command_line);
    // As other installers do, a usage that was asked for is a run that did what it should.
    return command_line.help ? ExitCode::kInstalled : ExitCode::kBadCommandLine;
  }
  if (IsSystemTooOld()) {
    ShowSystemTooOldBox();
    return ExitCode::kSystemTooOld;
  }
  ShutDownRunningClient();
  SetProcessDPIAware();

  // The whole command line "1" opens a wizard even when another installer runs.
  ScopedHandle lock;
  if (!command_line.skip_instance_check) {
    if (!FindRunningWizard()) {
      ActivateOtherWizard();
      return ExitCode::kAnotherInstaller;
    }
    if (!TakeInstallerLock(lock)) {
      ShowSilentRunBusyBox();
      return ExitCode::kAnotherInstaller;
    }
  }
  // An installation that a killed installer left half done is undone before anything else;
  // one that a running installer still keeps (command line "1") is left to it.
  RecoverUnfinishedInstallation();
  SetGivenDirectories(command_line.install_dir, command_line.book_dir);
  SkinUI::CSkinManagerUI::SetInstance(instance);
  LogSkinDiagnostics();
  LoadSkinResource();
  const ScopedOleApartment ole;
  if (FAILED(ole.result())) {
    // Only the folder browser needs it; the rest of the wizard works without.
    LogSystemFailure(L"Wizard", SystemCode::Hresult(ole.result()), L"OLE cannot be initialised");
  }
  ShowInstallGuideWnd(nullptr);
  SkinUI::CSkinManagerUI::MessageLoop();
  return InstallerExitCode();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL: never from beside the downloaded setup program.
  RestrictDllSearchToSystem32();
  // The wide command line: a directory outside the ANSI code page arrives whole.
  const WString arguments = ArgumentsAfterProgramName(GetCommandLineW());
  const InstallerCommandLine command_line = ParseInstallerCommandLine(arguments);
  // Before the client shutdown, whose steps are logged too.
  OpenSetupLog(command_line.log_file);
  // Each path ends with the code that tells a caller how the run went (engine/exit_code.h).
  const ExitCode code =
      AsksForSilence(arguments) ? RunSilentInstallation(command_line) : RunWizard(instance, command_line);
  return static_cast<int>(code);
}
