#include "common/testing/child_process.h"

#include <windows.h>

#include "common/scoped_handle.h"

namespace {

const wchar_t* const kTempVariables[] = {L"TMP", L"TEMP"};

}  // namespace

int RunToEnd(std::wstring command_line) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return -1;
  }
  const ScopedHandle process(started.hProcess);
  const ScopedHandle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exit_code = 0;
  GetExitCodeProcess(process.Get(), &exit_code);
  return static_cast<int>(exit_code);
}

ScopedTempVariables::ScopedTempVariables(const std::wstring& directory) {
  for (int i = 0; i < 2; ++i) {
    wchar_t value[MAX_PATH] = {};
    GetEnvironmentVariableW(kTempVariables[i], value, MAX_PATH);
    m_saved[i] = value;
    SetEnvironmentVariableW(kTempVariables[i], directory.c_str());
  }
}

ScopedTempVariables::~ScopedTempVariables() {
  for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(kTempVariables[i], m_saved[i].c_str());
}
