#pragma once
// For fuzz targets: the promises of engine/entry_names.h about a cleaned entry name, checked
// against the name as Windows would read it rather than by the rules of the code itself.
#include <algorithm>
#include <cstddef>

#include "common/testing/fuzz_check.h"
#include "common/utf16.h"
#include "engine/entry_names.h"

namespace entry_name_checks {

inline bool IsSeparator(Utf16Char ch) { return ch == U16('/') || ch == U16('\\'); }

inline bool HasUpwardStep(const WString& name) {
  for (const Utf16Char* step : {U16("\\..\\"), U16("\\../"), U16("/../"), U16("/..\\")}) {
    if (name.find(step) != WString::npos) return true;
  }
  return false;
}

// Windows drops a component's trailing spaces and dots; what is left of an upward step is
// made of dots only.
inline bool LeadsUpwards(const WString& component) {
  const size_t end = component.find_last_not_of(U16(' '));
  if (end == WString::npos || end == 0) return false;
  return component.find_first_not_of(U16('.')) > end;
}

inline bool NamesDevice(const WString& component) {
  WString base = component.substr(0, component.find(U16('.')));
  base.erase(base.find_last_not_of(U16(' ')) + 1);
  for (Utf16Char& ch : base) {
    if (ch >= U16('a') && ch <= U16('z')) ch = static_cast<Utf16Char>(ch - U16('a') + U16('A'));
  }
  for (const Utf16Char* device : {U16("CON"), U16("PRN"), U16("AUX"), U16("NUL"), U16("CONIN$"), U16("CONOUT$")}) {
    if (base == device) return true;
  }
  const bool device_digit = base.size() == 4 && ((base[3] >= U16('0') && base[3] <= U16('9')) || base[3] == 0xB9 ||
                                                 base[3] == 0xB2 || base[3] == 0xB3);
  return device_digit && (base.compare(0, 3, U16("COM")) == 0 || base.compare(0, 3, U16("LPT")) == 0);
}

// What Windows would not keep as it is: a trailing dot or blank is dropped, and the units it
// forbids in a name are refused or end the path.
inline bool IsAlteredByWindows(const WString& component) {
  if (!component.empty() && (component.back() == U16('.') || component.back() == U16(' '))) return true;
  return component.find_first_of(WString(U16("<>:\"|?*")) + WString(1, Utf16Char(0))) != WString::npos ||
         std::any_of(component.begin(), component.end(), [](Utf16Char ch) { return ch < 0x20; });
}

}  // namespace entry_name_checks

// A name as CleanEntryName gives it: its own promises, and when IsContainedEntryName takes
// it, that the path Windows would open stays below the install directory.
inline void CheckCleanedName(const WString& cleaned) {
  using namespace entry_name_checks;
  FuzzCheck(cleaned.empty() || !IsSeparator(cleaned[0]), "a cleaned name starts with no separator");
  FuzzCheck(cleaned.size() < 2 || cleaned[1] != U16(':'), "a cleaned name starts with no drive");
  FuzzCheck(!HasUpwardStep(cleaned), "a cleaned name holds no upward step between separators");
  FuzzCheck(CleanEntryName(cleaned) == cleaned, "cleaning a cleaned name changes nothing");

  if (!IsContainedEntryName(cleaned)) return;
  FuzzCheck(cleaned.size() <= kMaxEntryNameLength, "a contained name is no longer than the longest kept length");
  // The name as the file system gets it: a zero unit ends it.
  const WString path = cleaned.substr(0, cleaned.find(Utf16Char(0)));
  FuzzCheck(path == cleaned, "a contained name holds no zero unit");
  FuzzCheck(!path.empty(), "a contained name names something");
  FuzzCheck(!IsSeparator(path[0]) && path.find(U16(':')) == WString::npos, "a contained name has no root, drive or stream");
  size_t begin = 0;
  for (;;) {
    const size_t end = path.find_first_of(U16("\\/"), begin);
    const WString component = path.substr(begin, end == WString::npos ? WString::npos : end - begin);
    FuzzCheck(!LeadsUpwards(component), "a contained name has no upward component");
    FuzzCheck(!IsAlteredByWindows(component), "a contained name is opened as it is written");
    FuzzCheck(!NamesDevice(component), "a contained name names no device");
    if (end == WString::npos) break;
    FuzzCheck(!component.empty(), "only a directory's trailing separator leaves an empty component");
    begin = end + 1;
  }
}
