// Runs the install engine without the wizard, for tests and the demo: every report of the
// engine is printed as one UTF-8 line:
//   STATUS <text> | PROGRESS <value> | ERROR <mode> <text> | FINISHED
//
//   engine-run.exe [install-dir] [book-dir]   install; either directory may be empty or absent
//   engine-run.exe --launch                   start the installed client as the finish page does
//
// Exit code: 0 after FINISHED, 1 after an error of mode 2 or 4, 3 after an error of mode 0,
// 2 when the engine ends or times out without any of these.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/text_convert.h"
#include "engine/client_launch.h"
#include "engine/install_app.h"
#include "engine/rollback_journal.h"
#include "engine/testing/report_lines.h"

namespace {

constexpr DWORD kInstallTimeoutMs = 10 * 60 * 1000;

void PrintLine(const std::wstring& text) {
  const std::string line = WideToCodePage(CP_UTF8, text) + '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

enum class Outcome { kRunning, kFinished, kQuitError, kStayError };

// Prints each report as it comes, on the engine thread, and keeps the first outcome other than
// kRunning.
class PrintingObserver : public ReportLineObserver {
 public:
  Outcome outcome() const { return outcome_; }

  void OnError(ErrorMode mode, const wchar_t* text) override {
    Settle(mode == ErrorMode::kStay ? Outcome::kStayError : Outcome::kQuitError);
    ReportLineObserver::OnError(mode, text);
  }
  void OnFinished() override {
    Settle(Outcome::kFinished);
    ReportLineObserver::OnFinished();
  }

 protected:
  void OnLine(const std::wstring& line) override { PrintLine(line); }

 private:
  void Settle(Outcome now) {
    Outcome running = Outcome::kRunning;
    outcome_.compare_exchange_strong(running, now);
  }

  std::atomic<Outcome> outcome_{Outcome::kRunning};
};

int Install(const std::wstring& install_dir, const std::wstring& book_dir) {
  // Outlives an engine thread that is still running at the time-out.
  static PrintingObserver observer;
  // The wizard hands the engine over to its thread the same way; the thread frees it.
  std::unique_ptr<InstallApp> app(new InstallApp(observer, install_dir, book_dir));
  const ScopedHandle thread(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, InstallThreadProc, app.get(), 0, nullptr)));
  if (!thread) return 2;
  app.release();
  const bool ended = WaitForSingleObject(thread.Get(), kInstallTimeoutMs) == WAIT_OBJECT_0;
  const Outcome outcome = observer.outcome();
  if (!ended && outcome == Outcome::kRunning) PrintLine(L"TIMEOUT");
  switch (outcome) {
    case Outcome::kFinished:
      return 0;
    case Outcome::kQuitError:
      return 1;
    case Outcome::kStayError:
      return 3;
    default:
      return 2;
  }
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return 2;
  const std::wstring first = argc > 1 ? argv[1] : L"";
  const std::wstring second = argc > 2 ? argv[2] : L"";
  LocalFree(argv);
  // Logs as the installer does, so that a run here leaves the same log behind.
  OpenSetupLog();
  // As the installer does: a killed run's half-done installation is undone first.
  RecoverUnfinishedInstallation();
  if (first == L"--launch") {
    const bool started = StartInstalledClient();
    PrintLine(started ? L"LAUNCHED" : L"LAUNCH FAILED");
    return started ? 0 : 1;
  }
  return Install(first, second);
}
