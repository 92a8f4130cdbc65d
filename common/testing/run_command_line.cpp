// For the end-to-end tests: a program started with a command line exactly as a script writes
// it. Wine builds a program's command line from its arguments, quoting each one that holds a
// blank and escaping its quotes, so /D=C:\a b and /BOOKDIR="C:\a b" would not arrive as written.
//   BOKRIN_COMMAND_LINE=<whole command line> run-command-line.exe
// starts that command line, waits for the program and ends with its exit code; 255 when the
// variable is missing or the program cannot be started.
#include <windows.h>

#include <string>
#include <vector>

#include "common/testing/child_process.h"

int main() {
  constexpr DWORD kMostUnits = 32768;
  std::vector<wchar_t> line(kMostUnits);
  const DWORD length = GetEnvironmentVariableW(L"BOKRIN_COMMAND_LINE", line.data(), kMostUnits);
  if (length == 0 || length >= kMostUnits) return 255;
  const int code = RunToEnd(std::wstring(line.data(), length));
  return code == -1 ? 255 : code;
}
