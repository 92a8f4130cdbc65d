#pragma once
// The text rules that turn a chosen directory into the install or book directory, and the
// book directory's shown form. Only the characters count; nothing here touches the disk.
#include "common/utf16.h"

// True when the last character is "\" or "/".
bool EndsWithSeparator(const WString& path);
// `path` with "\" appended unless it ends with a separator already.
WString WithTrailingSeparator(const WString& path);
// A directory whose text contains "Bokrin" (case-sensitive) is the install directory itself;
// any other one gets a "Bokrin" sub-directory. The result ends with a separator.
WString CompleteInstallDirText(const WString& path);
// Gives `path` a trailing separator and, when it lacks "BokrinEBooks" (case-sensitive), the
// sub-directory "BokrinEBooks\". True when that sub-directory was added, so the caller still
// has to create it.
bool CompleteBookDirText(WString& path);
// The recorded book directory as the custom-install page shows it: cut before the first
// "BokrinEBooks", so that keeping it gives the same directory once completed again.
WString BookDirDisplayText(const WString& path);
