// The installer's entry, run as a process of its own beside a window that stands in for the
// wizard of an installer that is already open.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "common/scoped_handle.h"
#include "engine/exit_code.h"
#include "wizard/wizard_messages.h"

namespace {

std::wstring InstallerPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, &path[0], MAX_PATH));
  // The test sits in entry/ of the build tree, the installer at its top.
  path.resize(path.find_last_of(L'\\'));
  path.resize(path.find_last_of(L'\\') + 1);
  return path + L"BokrinSetup.exe";
}

struct WizardSearch {
  DWORD process;
  HWND found;
};

BOOL CALLBACK CheckWizard(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WizardSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || GetPropW(window, L"BokrinInstall") == nullptr) return TRUE;
  search->found = window;
  return FALSE;
}

// The wizard window that process `process` opened, or null.
HWND WizardOf(DWORD process) {
  WizardSearch search{process, nullptr};
  EnumWindows(&CheckWizard, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Runs the installer with `arguments` as its whole command line; its exit code, or -1. While it
// runs, `meanwhile` is called with its process id every 100 ms.
DWORD RunInstaller(const std::wstring& arguments, const std::function<void(DWORD)>& meanwhile = nullptr) {
  std::wstring command = L"\"" + InstallerPath() + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return static_cast<DWORD>(-1);
  }
  const ScopedHandle process(info.hProcess);
  const ScopedHandle thread(info.hThread);
  // The installer restores the minimised wizard with calls that wait for this thread, so the
  // messages sent to its window are answered while the installer runs.
  const ULONGLONG deadline = GetTickCount64() + 30000;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return static_cast<DWORD>(-1);
    const HANDLE waited = process.Get();
    const DWORD woke = MsgWaitForMultipleObjects(1, &waited, FALSE, 100, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0) break;
    if (meanwhile) meanwhile(info.dwProcessId);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(process.Get(), &code);
  return code;
}

class OpenWizard : public testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"BokrinInstall", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(SetPropW(window_, L"BokrinInstall", reinterpret_cast<HANDLE>(1)));
  }
  void TearDown() override {
    RemovePropW(window_, L"BokrinInstall");
    DestroyWindow(window_);
  }

  // The activation requests that reached the stand-in wizard, as their wParam values.
  std::wstring ActivationsReceived() {
    std::wstring received;
    MSG msg;
    while (PeekMessageW(&msg, window_, WM_WIZARD_ACTIVATE, WM_WIZARD_ACTIVATE, PM_REMOVE)) {
      received += static_cast<wchar_t>(L'0' + msg.wParam);
    }
    return received;
  }

  HWND window_ = nullptr;
};

TEST_F(OpenWizard, SecondInstallerActivatesItAndEnds) {
  ShowWindow(window_, SW_SHOWMINIMIZED);
  EXPECT_EQ(RunInstaller(L""), static_cast<DWORD>(ExitCode::kAnotherInstaller));
  EXPECT_EQ(ActivationsReceived(), L"1");
  EXPECT_FALSE(IsIconic(window_));
}

// Only the whole command line "1" skips the check and opens a wizard of its own, which ends the
// installer when it is closed on its first page (with nothing installed: cancelled); anything
// around the "1" does not count.
TEST_F(OpenWizard, OnlyTheExactArgumentOneSkipsTheCheck) {
  struct Case {
    const wchar_t* arguments;
    const wchar_t* activations;
    bool opens_wizard;
  };
  const Case cases[] = {{L"1", L"", true}, {L"\" 1\"", L"1", false}, {L"1 2", L"1", false}, {L"11", L"1", false}};
  for (const Case& c : cases) {
    bool opened = false;
    const auto close_wizard = [&opened](DWORD process) {
      if (HWND wizard = WizardOf(process)) {
        opened = true;
        PostMessageW(wizard, WM_CLOSE, 0, 0);
      }
    };
    const ExitCode code = c.opens_wizard ? ExitCode::kCancelled : ExitCode::kAnotherInstaller;
    EXPECT_EQ(RunInstaller(c.arguments, close_wizard), static_cast<DWORD>(code)) << c.arguments;
    EXPECT_EQ(opened, c.opens_wizard) << c.arguments;
    EXPECT_EQ(ActivationsReceived(), c.activations) << c.arguments;
  }
}

}  // namespace
