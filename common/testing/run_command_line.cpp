// For the end-to-end tests: a program started with a command line exactly as a script writes
// it. Wine builds a program's command line from its arguments, quoting each one that holds a
// blank and escaping its quotes, so /D=C:\a b and /BOOKDIR="C:\a b" would not arrive as written.
//   BOKRIN_COMMAND_LINE=<whole command line> run-command-line.exe
// starts that command line, waits for the program and ends with its exit code; 255 when the
// variable is missing or the program cannot be started.
#include <windows.h>

#include <vector>

#include "common/scoped_handle.h"

int main() {
  constexpr DWORD kMostUnits = 32768;
  std::vector<wchar_t> line(kMostUnits);
  const DWORD length = GetEnvironmentVariableW(L"BOKRIN_COMMAND_LINE", line.data(), kMostUnits);
  if (length == 0 || length >= kMostUnits) return 255;
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return 255;
  }
  const ScopedHandle process(started.hProcess);
  const ScopedHandle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}
