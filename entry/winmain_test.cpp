// The installer's entry, run as a process of its own beside a window that stands in for the
// wizard of an installer that is already open.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
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

struct WindowSearch {
  DWORD process;
  std::function<bool(HWND)> wanted;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process || !search->wanted(window)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND TopLevelWindowOf(DWORD process, const std::function<bool(HWND)>& wanted) {
  WindowSearch search{process, wanted, nullptr};
  EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The wizard window that process `process` opened, or null.
HWND WizardOf(DWORD process) {
  return TopLevelWindowOf(process, [](HWND window) { return GetPropW(window, L"BokrinInstall") != nullptr; });
}

std::wstring TitleOf(HWND window) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  return title;
}

// The usage box that process `process` shows, or null.
HWND UsageBoxOf(DWORD process) {
  return TopLevelWindowOf(process, [](HWND window) { return TitleOf(window) == L"Bokrin阅读安装程序"; });
}

BOOL CALLBACK KeepLongestText(HWND child, LPARAM longest) {
  wchar_t text[4096] = {};
  GetWindowTextW(child, text, 4096);
  auto* kept = reinterpret_cast<std::wstring*>(longest);
  if (wcslen(text) > kept->size()) *kept = text;
  return TRUE;
}

// The text of a system message box: its longest control text (the others are its buttons).
std::wstring BoxText(HWND box) {
  std::wstring longest;
  EnumChildWindows(box, &KeepLongestText, reinterpret_cast<LPARAM>(&longest));
  return longest;
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
// installer when it is closed on its first page (with nothing installed: cancelled). Anything
// else that is no switch is a command line that cannot be carried out: the usage box names it,
// nothing is activated, and the exit code says so. A silent run shows no box at all.
TEST_F(OpenWizard, CommandLineDecidesBetweenWizardUsageBoxAndSilentRefusal) {
  struct Case {
    const wchar_t* arguments;
    ExitCode code;
    bool opens_wizard;
    const wchar_t* box_starts_with;  // null: no usage box
    const wchar_t* activations;
  };
  const Case cases[] = {
      {L"1", ExitCode::kCancelled, true, nullptr, L""},
      {L"\" 1\"", ExitCode::kBadCommandLine, false, L"不是参数（参数以“/”开头）：\" 1\"\r\n\r\n用法：", L""},
      {L"1 2", ExitCode::kBadCommandLine, false, L"不是参数（参数以“/”开头）：1\r\n", L""},
      {L"11", ExitCode::kBadCommandLine, false, L"不是参数（参数以“/”开头）：11\r\n", L""},
      {L"/LAUNCH /Quiet", ExitCode::kBadCommandLine, false, L"无法识别的参数：/Quiet\r\n", L""},
      {L"/?", ExitCode::kInstalled, false, L"用法：BokrinSetup.exe [/S]", L""},
      {L"/help", ExitCode::kInstalled, false, L"用法：", L""},
      {L"/X /S", ExitCode::kBadCommandLine, false, nullptr, L""},
      {L"/s /?", ExitCode::kBadCommandLine, false, nullptr, L""},
      // A wizard is open, so a silent run stops at the instance check, leaving it as it is.
      {L"/S", ExitCode::kAnotherInstaller, false, nullptr, L""},
  };
  for (const Case& c : cases) {
    bool opened = false;
    std::wstring box_text;
    const auto answer = [&](DWORD process) {
      if (HWND wizard = WizardOf(process)) {
        opened = true;
        PostMessageW(wizard, WM_CLOSE, 0, 0);
      }
      if (HWND box = UsageBoxOf(process)) {
        box_text = BoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    };
    EXPECT_EQ(RunInstaller(c.arguments, answer), static_cast<DWORD>(c.code)) << c.arguments;
    EXPECT_EQ(opened, c.opens_wizard) << c.arguments;
    if (c.box_starts_with == nullptr) {
      EXPECT_EQ(box_text, L"") << c.arguments;
    } else {
      EXPECT_EQ(box_text.rfind(c.box_starts_with, 0), 0u) << c.arguments << L": " << box_text;
    }
    EXPECT_EQ(ActivationsReceived(), c.activations) << c.arguments;
  }
}

}  // namespace
