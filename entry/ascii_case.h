#pragma once
// Switch names and file names are compared in any letter case, of the ASCII letters only: a
// lower-case rule for other letters would depend on the system's locale.
#include "common/utf16.h"

inline Utf16Char AsciiLower(Utf16Char c) {
  return c >= U16('A') && c <= U16('Z') ? static_cast<Utf16Char>(c - U16('A') + U16('a')) : c;
}
