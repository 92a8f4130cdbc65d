#include "entry/silent_install.h"

#include <string>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "engine/client_launch.h"
#include "engine/install_app.h"
#include "engine/install_locations.h"
#include "engine/rollback_journal.h"
#include "engine/setup_log_observer.h"
#include "entry/client_shutdown.h"
#include "entry/instance_check.h"
#include "entry/system_check.h"

namespace {

struct ChosenDirectories {
  std::wstring install_dir;
  std::wstring book_dir;
};

// Directories named on the command line are taken as the customise page takes what is typed
// into its fields, the other one as the page would show it; none named is a quick install.
bool ChooseDirectories(const InstallerCommandLine& command_line, ChosenDirectories& chosen) {
  if (command_line.install_dir.empty() && command_line.book_dir.empty()) {
    const RecordedLocations quick = QuickInstallLocations();
    chosen = {quick.install_dir, quick.book_dir};
    return true;
  }
  const PrefillTexts texts = ComputePrefillTexts({command_line.install_dir, command_line.book_dir});
  chosen = {texts.install_text, texts.book_text};
  switch (CheckChosenDirectories(chosen.install_dir, chosen.book_dir)) {
    case ChosenDirectoryFault::kInstallDir:
      SetupLog(L"Silent run refused: the install directory \"%ls\" cannot be used", chosen.install_dir.c_str());
      return false;
    case ChosenDirectoryFault::kBookDir:
      SetupLog(L"Silent run refused: the book directory \"%ls\" cannot be used", chosen.book_dir.c_str());
      return false;
    case ChosenDirectoryFault::kNone:
      break;
  }
  return true;
}

ExitCode Install(const InstallerCommandLine& command_line) {
  if (command_line.fault != CommandLineFault::kNone) {
    SetupLog(L"Silent run refused: the switch %ls cannot be taken (fault %d)", command_line.faulty_switch.c_str(),
             static_cast<int>(command_line.fault));
    return ExitCode::kBadCommandLine;
  }
  if (command_line.help) {
    SetupLog(L"Silent run refused: a silent run shows no usage");
    return ExitCode::kBadCommandLine;
  }
  if (IsSystemTooOld()) {
    SetupLog(L"Silent run: the system is too old");
    return ExitCode::kSystemTooOld;
  }
  ShutDownRunningClient();
  // Held for the rest of the run, so that no wizard and no other silent run installs meanwhile.
  ScopedHandle lock;
  if (!TakeInstallerLock(lock) || IsWizardOpen()) {
    SetupLog(L"Silent run: another installer is running");
    return ExitCode::kAnotherInstaller;
  }
  RecoverUnfinishedInstallation();
  ChosenDirectories chosen;
  if (!ChooseDirectories(command_line, chosen)) return ExitCode::kBadCommandLine;

  SetupLogObserver observer;
  InstallApp(observer, chosen.install_dir, chosen.book_dir).Run();
  if (observer.Result() != ExitCode::kInstalled || !command_line.launch) return observer.Result();
  // Logs which route started the client, or why none did.
  return StartInstalledClient() ? ExitCode::kInstalled : ExitCode::kClientNotStarted;
}

}  // namespace

ExitCode RunSilentInstallation(const InstallerCommandLine& command_line) {
  SetupLog(L"Silent run");
  const ExitCode code = Install(command_line);
  SetupLog(L"Silent run ended: exit code %d", static_cast<int>(code));
  return code;
}
