#pragma once
#include <string>

// Terminates (exit code 0) every process whose executable path equals `exe_path`, ignoring case.
void KillProcessesByPath(const std::wstring& exe_path);
