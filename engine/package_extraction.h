#pragma once
// Unpacks the downloaded release package into the install directory, telling the wizard window
// the progress (801 upwards) and, on failure, what went wrong.
#include <windows.h>

#include <string>

#include "engine/install_app.h"

// True when every entry was written. Nothing is written when an entry cannot be read or its
// name would lead outside the install directory; the wizard then hears that the package is
// broken. A file that cannot be written ends the extraction with the message that makes the
// wizard quit, since a running client is the usual cause.
bool ExtractPackage(InstallApp* engine, const std::wstring& package_path, const std::wstring& install_dir);
// The same, reporting to `window`.
bool ExtractPackage(HWND window, const std::wstring& package_path, const std::wstring& install_dir);
