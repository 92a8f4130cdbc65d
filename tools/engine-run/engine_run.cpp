// Runs the install engine without the wizard, for tests and the demo: a hidden window stands
// in for the wizard, and every message the engine posts is printed as one UTF-8 line:
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

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/heap_block.h"
#include "common/product_names.h"
#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/text_convert.h"
#include "engine/client_launch.h"
#include "engine/install_app.h"
#include "engine/install_messages.h"

namespace {

struct WindowTraits {
  using Handle = HWND;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { DestroyWindow(h); }
};
using ScopedWindow = ScopedObject<WindowTraits>;


constexpr DWORD kInstallTimeoutMs = 10 * 60 * 1000;
// After an error that leaves the wizard on its page the engine could still post; keep
// listening a little so that nothing it says is missed.
constexpr DWORD kAfterStayErrorMs = 3000;
// How long the engine may take to return once it has posted its last word.
constexpr DWORD kThreadEndMs = 10000;

void PrintLine(const std::string& prefix, const std::wstring& text) {
  const std::string line = prefix + WideToCodePage(CP_UTF8, text) + '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

enum class Outcome { kRunning, kFinished, kQuitError, kStayError };

// Prints one engine message; tells what it means for the run.
Outcome Report(const MSG& msg) {
  switch (msg.message) {
    case WM_INSTALL_STATUS:
      if (msg.wParam == kStatusNarrow936) {
        // The block is ours now, as it would be the wizard's.
        const HeapText narrow(reinterpret_cast<char*>(msg.lParam));
        PrintLine("STATUS ", CodePageToWide(kStatusCodePage, narrow.get()));
      } else {
        PrintLine("STATUS ", reinterpret_cast<const wchar_t*>(msg.lParam));
      }
      return Outcome::kRunning;
    case WM_INSTALL_PROGRESS:
      PrintLine("PROGRESS " + std::to_string(static_cast<long long>(msg.lParam)), std::wstring());
      return Outcome::kRunning;
    case WM_INSTALL_FINISHED:
      PrintLine("FINISHED", std::wstring());
      return Outcome::kFinished;
    case WM_INSTALL_ERROR:
      PrintLine("ERROR " + std::to_string(static_cast<unsigned long long>(msg.wParam)) + " ",
                reinterpret_cast<const wchar_t*>(msg.lParam));
      return msg.wParam == kErrorStay ? Outcome::kStayError : Outcome::kQuitError;
    default:
      return Outcome::kRunning;
  }
}

// Prints what arrives until `deadline` (a GetTickCount value) or, with `stop_on_thread_end`,
// until the engine thread has ended and its last messages are printed. Keeps the first
// outcome other than kRunning.
Outcome Listen(HWND window, HANDLE thread, DWORD deadline, bool stop_on_thread_end, Outcome outcome) {
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
      const Outcome now = Report(msg);
      if (outcome == Outcome::kRunning) outcome = now;
    }
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(deadline - now) <= 0) return outcome;
    const bool thread_ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    if (thread_ended && stop_on_thread_end) {
      // Everything the engine posted is queued by now; one more sweep prints it.
      while (PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        const Outcome last = Report(msg);
        if (outcome == Outcome::kRunning) outcome = last;
      }
      return outcome;
    }
    const HANDLE waits[] = {thread};
    MsgWaitForMultipleObjects(thread_ended ? 0 : 1, waits, FALSE, deadline - now, QS_POSTMESSAGE);
  }
}

int Install(const std::wstring& install_dir, const std::wstring& book_dir) {
  const ScopedWindow window(
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  if (!window) return 2;
  // The wizard hands the engine over to its thread the same way; the thread frees it.
  std::unique_ptr<InstallApp> app(new InstallApp(window.Get(), install_dir, book_dir));
  const ScopedHandle thread(
      reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, InstallThreadProc, app.get(), 0, nullptr)));
  if (!thread) return 2;
  app.release();
  Outcome outcome = Listen(window.Get(), thread.Get(), GetTickCount() + kInstallTimeoutMs, true, Outcome::kRunning);
  if (outcome == Outcome::kStayError) {
    outcome = Listen(window.Get(), thread.Get(), GetTickCount() + kAfterStayErrorMs, false, outcome);
  } else if (outcome == Outcome::kRunning && WaitForSingleObject(thread.Get(), 0) != WAIT_OBJECT_0) {
    PrintLine("TIMEOUT", std::wstring());
  }
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
  if (first == L"--launch") {
    const bool started = StartInstalledClient();
    PrintLine(started ? "LAUNCHED" : "LAUNCH FAILED", std::wstring());
    return started ? 0 : 1;
  }
  return Install(first, second);
}
