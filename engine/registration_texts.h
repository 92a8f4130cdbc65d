#pragma once
// The texts that make the installed client known to Windows and start it: paths in the
// install directory, the "open" command, the uninstall values and the start parameters.
// `install_dir` always ends with a backslash.
#include <vector>

#include "common/utf16.h"

// The client executable in the install directory.
WString ClientExePath(const WString& install_dir);
// The client's uninstaller in the install directory.
WString UninstallerPath(const WString& install_dir);

// The command that opens a document with the client: the quoted executable, a blank, "%1" quoted.
WString OpenCommandText(const WString& install_dir);

// The directory a shortcut starts in: the target up to, not including, its last "\" or "/";
// the whole target when it has neither.
WString LinkWorkingDirectory(const WString& target);

// The parameters the client is started with: the quoted install directory, a blank and the
// quoted "openglessl\" directory beneath it.
WString LaunchParameters(const WString& install_dir);

struct RegistryText {
  const Utf16Char* name;
  WString text;
};
// UTF-16 units of the version kept as the uninstall entry's DisplayVersion.
constexpr WString::size_type kDisplayVersionLimit = 64;
// The values of the uninstall entry, in the order they are written: the uninstaller quoted,
// the version cut to kDisplayVersionLimit units (one less when a surrogate pair would split).
std::vector<RegistryText> UninstallEntryValues(const WString& install_dir, const WString& version);
