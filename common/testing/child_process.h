#pragma once
// Running a program of the tests as a process of its own, for code that keeps per-process state
// such as the setup log, which is opened once per process.
#include <string>

// Runs `command_line` to its end; its exit code, or -1 when it did not start.
int RunToEnd(std::wstring command_line);

// Points %TEMP% (TMP first, then TEMP, as every program looks them up) at `directory` for this
// process and the programs it starts, until the object goes.
class ScopedTempVariables {
 public:
  explicit ScopedTempVariables(const std::wstring& directory);
  ~ScopedTempVariables();
  ScopedTempVariables(const ScopedTempVariables&) = delete;
  ScopedTempVariables& operator=(const ScopedTempVariables&) = delete;

 private:
  std::wstring m_saved[2];
};
