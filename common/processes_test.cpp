#include "common/processes.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"

namespace {

// Started with this flag and an event name, the test program becomes a child that only
// signals the event once it runs, then waits to be ended. It happens before the tests run.
constexpr wchar_t kChildFlag[] = L"--bokrin-sleeping-child";

const bool kChildHook = [] {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv != nullptr && argc == 3 && std::wstring(argv[1]) == kChildFlag) {
    ScopedHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]));
    if (ready) SetEvent(ready.Get());
    Sleep(60000);
    ExitProcess(3);
  }
  LocalFree(argv);
  return true;
}();

struct Child {
  ScopedHandle process;
  ScopedHandle thread;
};

// Copies the test program to `exe_path` and starts the copy as a sleeping child; returns once
// the child runs, so that its modules can be listed.
Child StartSleepingChild(const std::wstring& exe_path) {
  Child child;
  wchar_t self[MAX_PATH] = {};
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return child;
  if (!CopyFileW(self, exe_path.c_str(), FALSE)) return child;

  static unsigned counter = 0;
  const std::wstring event_name = L"BokrinTestChild_" + std::to_wstring(GetCurrentProcessId()) +
                                  L"_" + std::to_wstring(++counter);
  ScopedHandle ready(CreateEventW(nullptr, TRUE, FALSE, event_name.c_str()));
  std::wstring command = L"\"" + exe_path + L"\" " + kChildFlag + L" " + event_name;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe_path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return child;
  }
  child.process.Reset(info.hProcess);
  child.thread.Reset(info.hThread);
  const HANDLE waits[] = {ready.Get(), child.process.Get()};
  if (WaitForMultipleObjects(2, waits, FALSE, 20000) != WAIT_OBJECT_0) {
    TerminateProcess(child.process.Get(), 1);
    child.process.Reset();
  }
  return child;
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

TEST(KillProcessesByPathTest, EndsOnlyTheProcessesOfThatExecutable) {
  ScopedTempDir temp;
  ASSERT_FALSE(temp.path().empty());
  const std::wstring target_path = temp.path() + L"target.exe";
  const std::wstring bystander_path = temp.path() + L"bystander.exe";
  Child target = StartSleepingChild(target_path);
  Child bystander = StartSleepingChild(bystander_path);
  ASSERT_TRUE(target.process.IsValid());
  ASSERT_TRUE(bystander.process.IsValid());

  // An empty path or one that no process runs ends nothing, not even the processes whose
  // executable cannot be read.
  KillProcessesByPath(L"");
  KillProcessesByPath(temp.path() + L"other.exe");
  ASSERT_EQ(WAIT_TIMEOUT, WaitForSingleObject(target.process.Get(), 0));
  ASSERT_EQ(WAIT_TIMEOUT, WaitForSingleObject(bystander.process.Get(), 0));

  // The comparison ignores case.
  KillProcessesByPath(Upper(target_path));

  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(target.process.Get(), 10000));
  DWORD exit_code = STILL_ACTIVE;
  GetExitCodeProcess(target.process.Get(), &exit_code);
  EXPECT_EQ(0u, exit_code);
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(bystander.process.Get(), 0));

  TerminateProcess(bystander.process.Get(), 1);
  WaitForSingleObject(bystander.process.Get(), 10000);
}

}  // namespace
