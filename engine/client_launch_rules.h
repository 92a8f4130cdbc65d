#pragma once
// Which recorded install directory the client may be started from.
#include "common/utf16.h"

// True for a directory given in full: a drive letter with its root ("C:\") or a network share
// ("\\server\share\"). From anything else ("Bokrin\", "\Apps\", "C:Apps\", nothing at all) the
// shell would look for Bokrin.exe in the current folder and along PATH, and this elevated
// installer would start whatever it found there.
bool IsFullDirectoryPath(const WString& directory);
