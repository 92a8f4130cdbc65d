#pragma once
// Who keeps a file open, as the Restart Manager sees it.
#include <string>
#include <vector>

// The names of the programs that hold `path` open, for the user: empty when the system names
// none (Wine's Restart Manager never does) or cannot be asked, which is logged. The Restart
// Manager is loaded from the system folder only when asked, so the program starts without it.
std::vector<std::wstring> ProgramsHoldingFile(const std::wstring& path);
