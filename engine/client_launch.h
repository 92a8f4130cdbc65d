#pragma once
// Starting the client that was just installed. Which recorded install directory it may be
// started from is a portable rule (client_launch.cpp); the start is Win32 (client_launch_win.cpp).
#include "common/utf16.h"

// True for a directory given in full: a drive letter with its root ("C:\") or a network share
// ("\\server\share\"). From anything else ("Bokrin\", "\Apps\", "C:Apps\", nothing at all) the
// shell would look for Bokrin.exe in the current folder and along PATH, and this elevated
// installer would start whatever it found there.
bool IsFullDirectoryPath(const WString& directory);

// Starts Bokrin.exe from the recorded install directory with its start parameters, shown
// normally. True when the shell started it; the shell shows no error of its own. False without
// any start when the recorded directory is missing, unreadable or not a full path.
bool StartInstalledClient();
