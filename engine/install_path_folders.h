#pragma once
// Which folders an installation writes through: every folder of the install path from its
// root down, and every folder that the package's entries create or enter inside it. Each of
// them is looked at before anything is written (install_path_safety_win), since a link among
// them would send the package's files wherever the link points.
#include <vector>

#include "common/utf16.h"

// `install_dir` ends with a separator; `entry_names` are the package's cleaned entry names
// ("/" or "\" separated, folders with a trailing separator). The folders, "\" separated and
// each ending with "\", from the root ("C:\", "\\server\share\") down to the install directory,
// then the package's folders inside it in the order the entries first name them; each once.
// A path that has no such root starts with its first component.
std::vector<WString> FoldersToCheck(const WString& install_dir, const std::vector<WString>& entry_names);
