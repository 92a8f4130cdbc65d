#include "engine/client_launch.h"

namespace {

bool IsSeparator(Utf16Char c) { return c == U16('\\') || c == U16('/'); }

bool IsAsciiLetter(Utf16Char c) { return (c >= U16('A') && c <= U16('Z')) || (c >= U16('a') && c <= U16('z')); }

}  // namespace

bool IsFullDirectoryPath(const WString& directory) {
  if (directory.size() >= 3 && IsAsciiLetter(directory[0]) && directory[1] == U16(':') &&
      IsSeparator(directory[2])) {
    return true;
  }
  // A share, or a "\\?\" path: two separators and a name right after them.
  return directory.size() >= 3 && IsSeparator(directory[0]) && IsSeparator(directory[1]) &&
         !IsSeparator(directory[2]);
}
