#pragma once
// Reading one of the skin's files from disk, for a skin that is not kept in an archive. Win32.
#include <cstddef>
#include <string>

#include "skinui/core/skin_read.h"

namespace SkinUI {

// The whole file at `path`. One that is empty or larger than `limit` is refused before a
// buffer is made for it; kReadingFile when it cannot be read to the size it had when opened.
SkinReadResult ReadSkinFile(const std::wstring& path, size_t limit);

}  // namespace SkinUI
