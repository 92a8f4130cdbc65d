#pragma once
// Making the installed client known to Windows: shortcuts, the application's "open" command
// and the uninstall entry. Nothing is shown for a failure: it is logged with its code, and
// each operation stands on its own.
#include <string>

// Saves a shell link at `link_path` that starts `target` with `arguments` in the target's
// directory, showing the first icon of `icon_path` when one is given. True when the link
// file was saved.
bool CreateShortcut(const wchar_t* target, const wchar_t* arguments, const wchar_t* link_path,
                    const wchar_t* icon_path);

// The current user's "open" command for Bokrin.exe in `install_dir`.
void RegisterOpenCommand(const std::wstring& install_dir);

// The machine's uninstall entry of the client installed in `install_dir`.
void WriteUninstallEntry(const std::wstring& install_dir, const std::wstring& version);
