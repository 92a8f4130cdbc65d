#include "common/processes.h"

#include <windows.h>
#include <psapi.h>

#include <cwchar>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"

namespace {

constexpr DWORD kMaxProcesses = 1024;
constexpr DWORD kMaxModules = 1024;

// The executable of `process`, or empty when its modules cannot be listed (protected
// processes, or a 64-bit process seen from this 32-bit one).
std::wstring ExecutablePath(HANDLE process) {
  HMODULE modules[kMaxModules];
  DWORD needed = 0;
  if (!EnumProcessModules(process, modules, sizeof(modules), &needed) || needed == 0) return {};
  wchar_t path[MAX_PATH] = {};
  if (GetModuleFileNameExW(process, modules[0], path, MAX_PATH) == 0) return {};
  return path;
}

}  // namespace

void KillProcessesByPath(const std::wstring& exe_path) {
  DWORD ids[kMaxProcesses];
  DWORD returned_bytes = 0;
  if (!EnumProcesses(ids, sizeof(ids), &returned_bytes)) {
    LogSystemFailure(L"Processes", LastError(), L"the processes of %ls not listed", exe_path.c_str());
    return;
  }

  const DWORD count = returned_bytes / sizeof(DWORD);
  for (DWORD i = 0; i < count; ++i) {
    const ScopedHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, ids[i]));
    if (!process) continue;
    // An unreadable executable must not match an empty path.
    const std::wstring path = ExecutablePath(process.Get());
    if (!path.empty() && _wcsicmp(path.c_str(), exe_path.c_str()) == 0) {
      if (TerminateProcess(process.Get(), 0)) {
        SetupLog(L"Processes: process %lu (%ls) terminated", ids[i], path.c_str());
      } else {
        LogSystemFailure(L"Processes", LastError(), L"process %lu (%ls) not terminated", ids[i], path.c_str());
      }
    }
  }
}
