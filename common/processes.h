#pragma once
#include <string>

// Terminates (exit code 0) every process whose executable path equals `exe_path`, ignoring case.
// Processes whose executable cannot be read (protected ones) never match, not even an empty path.
void KillProcessesByPath(const std::wstring& exe_path);
