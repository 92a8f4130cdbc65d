#include "engine/entry_names.h"

#include <set>

namespace {

bool IsSeparator(Utf16Char ch) { return ch == U16('\\') || ch == U16('/'); }

// Upper-cases ASCII letters only; device names are plain ASCII.
Utf16Char AsciiUpper(Utf16Char ch) {
  return (ch >= U16('a') && ch <= U16('z')) ? static_cast<Utf16Char>(ch - U16('a') + U16('A')) : ch;
}

// Units that Windows refuses in a name, or that end the path before the rest of the name.
bool IsForbiddenUnit(Utf16Char ch) {
  if (ch < 0x20) return true;
  for (Utf16Char forbidden : U16("<>:\"|?*")) {
    if (forbidden != 0 && ch == forbidden) return true;
  }
  return false;
}

// Windows drops a component's trailing dots and blanks, so such a component opens something
// other than its text says: "a." is "a", ".." and ". ." go upwards.
bool EndsWithDotOrBlank(const WString& component) {
  return !component.empty() && (component.back() == U16('.') || component.back() == U16(' '));
}

// The digit of "COM1" and "LPT1": Windows takes 0 to 9 and the superscripts one to three.
bool IsDeviceDigit(Utf16Char ch) {
  return (ch >= U16('0') && ch <= U16('9')) || ch == 0x00B9 || ch == 0x00B2 || ch == 0x00B3;
}

// "CON", "nul.txt", "LPT1 .log", "COM¹.txt": Windows opens the device, not a file in the
// directory.
bool IsDeviceComponent(const WString& component) {
  WString base;
  for (Utf16Char ch : component) {
    if (ch == U16('.')) break;
    base += AsciiUpper(ch);
  }
  while (!base.empty() && base.back() == U16(' ')) base.pop_back();
  static const Utf16Char* const kDevices[] = {U16("CON"), U16("PRN"), U16("AUX"), U16("NUL"),
                                              U16("CONIN$"), U16("CONOUT$")};
  for (const Utf16Char* device : kDevices) {
    if (base == device) return true;
  }
  if (base.size() == 4 && IsDeviceDigit(base[3])) {
    const WString prefix = base.substr(0, 3);
    return prefix == U16("COM") || prefix == U16("LPT");
  }
  return false;
}

WString WithSlashes(const WString& name) {
  WString unified = name;
  for (Utf16Char& ch : unified) {
    if (ch == U16('\\')) ch = U16('/');
  }
  return unified;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the given date of the proleptic Gregorian calendar.
int64_t DaysSince1601(int year, int month, int day) {
  const int64_t y = year - 1601;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

constexpr FileTimeTicks kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

uint32_t ReadLittleEndian16(const unsigned char* p) { return p[0] | (p[1] << 8); }

uint32_t ReadLittleEndian32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

WString CleanEntryName(const WString& stored_name) {
  static const Utf16Char* const kUpwardSteps[] = {U16("\\..\\"), U16("\\../"), U16("/../"),
                                                  U16("/..\\")};
  // The start only moves forwards, so each step's next occurrence is searched again only once
  // the start has passed it: a name full of steps is still cleaned in linear time.
  size_t next_step[4] = {0, 0, 0, 0};
  bool searched = false;
  size_t start = 0;
  for (;;) {
    const size_t rest = stored_name.size() - start;
    if (rest >= 2 && stored_name[start + 1] == U16(':')) {
      start += 2;
      continue;
    }
    if (rest >= 1 && IsSeparator(stored_name[start])) {
      start += 1;
      continue;
    }
    bool stepped = false;
    for (size_t i = 0; i < 4; ++i) {
      if (!searched || (next_step[i] != WString::npos && next_step[i] < start)) {
        next_step[i] = stored_name.find(kUpwardSteps[i], start);
      }
    }
    searched = true;
    for (size_t found : next_step) {
      if (found != WString::npos) {
        start = found + 4;
        stepped = true;
        break;
      }
    }
    if (!stepped) break;
  }
  return stored_name.substr(start);
}

bool IsContainedEntryName(const WString& cleaned_name) {
  if (cleaned_name.empty() || cleaned_name.size() > kMaxEntryNameLength || IsSeparator(cleaned_name[0])) {
    return false;
  }
  for (Utf16Char ch : cleaned_name) {
    if (IsForbiddenUnit(ch)) return false;
  }
  size_t begin = 0;
  for (;;) {
    size_t end = begin;
    while (end < cleaned_name.size() && !IsSeparator(cleaned_name[end])) ++end;
    const WString component = cleaned_name.substr(begin, end - begin);
    const bool last = end == cleaned_name.size();
    // Only a directory's trailing separator may leave an empty component behind it.
    if (last && component.empty()) return true;
    if (component.empty() || EndsWithDotOrBlank(component) || IsDeviceComponent(component)) return false;
    if (last) return true;
    begin = end + 1;
  }
}

bool IsClientExecutableEntry(const WString& cleaned_name, bool directory) {
  return !directory && CompareAsciiCaseBlind(cleaned_name, U16("Bokrin.exe")) == 0;
}

bool FitsPathLimits(size_t install_dir_length, const WString& cleaned_name, bool directory) {
  constexpr size_t kLongestFilePath = 259;       // MAX_PATH with its terminator
  constexpr size_t kLongestDirectoryPath = 247;  // MAX_PATH - 12, what CreateDirectoryW takes
  if (directory) {
    size_t length = cleaned_name.size();
    if (length > 0 && IsSeparator(cleaned_name[length - 1])) --length;
    return install_dir_length + length <= kLongestDirectoryPath;
  }
  // A file in a folder of its own has that folder made as a directory first; it ends at the
  // last separator.
  size_t folder_length = 0;
  for (size_t i = 0; i < cleaned_name.size(); ++i) {
    if (IsSeparator(cleaned_name[i])) folder_length = i;
  }
  return (folder_length == 0 || install_dir_length + folder_length <= kLongestDirectoryPath) &&
         install_dir_length + cleaned_name.size() <= kLongestFilePath;
}

int CompareAsciiCaseBlind(const WString& a, const WString& b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    const Utf16Char left = AsciiUpper(a[i]);
    const Utf16Char right = AsciiUpper(b[i]);
    if (left != right) return left < right ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

size_t FindFileFolderClash(const std::vector<NamedEntry>& entries, NameComparison compare) {
  const auto before = [compare](const WString& a, const WString& b) { return compare(a, b) < 0; };
  std::set<WString, decltype(before)> folders(before);
  for (const NamedEntry& entry : entries) {
    const WString name = WithSlashes(entry.name);
    for (size_t separator = name.find(U16('/')); separator != WString::npos;
         separator = name.find(U16('/'), separator + 1)) {
      folders.insert(name.substr(0, separator));
    }
    if (entry.directory) folders.insert(name.back() == U16('/') ? name.substr(0, name.size() - 1) : name);
  }
  for (size_t number = 0; number < entries.size(); ++number) {
    if (!entries[number].directory && folders.count(WithSlashes(entries[number].name)) != 0) return number;
  }
  return entries.size();
}

uint32_t EntryAttributes(uint16_t version_made_by, uint32_t external_attributes) {
  const unsigned made_by_system = version_made_by >> 8;
  if (made_by_system == 0 || made_by_system == 7 || made_by_system == 11 || made_by_system == 14) {
    return external_attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeSystem |
                                  kAttributeDirectory | kAttributeArchive);
  }
  constexpr uint32_t kUnixDirectory = 0x40000000;   // S_IFDIR in the high half
  constexpr uint32_t kUnixOwnerWrite = 0x00800000;  // S_IWUSR in the high half
  uint32_t attributes = kAttributeArchive;
  if ((external_attributes & kUnixDirectory) != 0) attributes |= kAttributeDirectory;
  if ((external_attributes & kUnixOwnerWrite) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

bool IsDirectoryEntry(uint32_t attributes, const WString& cleaned_name) {
  return (attributes & kAttributeDirectory) != 0 || (!cleaned_name.empty() && IsSeparator(cleaned_name.back()));
}

bool DosDateTimeToTicks(uint32_t dos_date_time, FileTimeTicks* ticks) {
  const uint32_t date = dos_date_time >> 16;
  const uint32_t time = dos_date_time & 0xFFFF;
  const int year = 1980 + static_cast<int>(date >> 9);
  const int month = static_cast<int>((date >> 5) & 0x0F);
  const int day = static_cast<int>(date & 0x1F);
  const int hour = static_cast<int>(time >> 11);
  const int minute = static_cast<int>((time >> 5) & 0x3F);
  const int second = static_cast<int>(time & 0x1F) * 2;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    return false;
  }
  const int64_t seconds = DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  *ticks = seconds * kTicksPerSecond;
  return true;
}

// The stamp is read as unsigned: the packages are made after 1970, and so the range reaches
// to 2106 instead of stopping in 2038.
FileTimeTicks UnixTimeToTicks(uint32_t unix_time) {
  return (static_cast<int64_t>(unix_time) + kSecondsFrom1601To1970) * kTicksPerSecond;
}

ExtendedTimes ParseExtendedTimes(const unsigned char* extra_field, size_t size) {
  constexpr uint32_t kExtendedTimeId = 0x5455;  // "UT"
  ExtendedTimes times;
  size_t pos = 0;
  while (extra_field != nullptr && size - pos >= 4) {
    const uint32_t id = ReadLittleEndian16(extra_field + pos);
    const size_t length = ReadLittleEndian16(extra_field + pos + 2);
    const unsigned char* data = extra_field + pos + 4;
    if (length > size - pos - 4) break;
    if (id == kExtendedTimeId && length >= 1) {
      const unsigned flags = data[0];
      size_t offset = 1;
      struct Slot {
        unsigned flag;
        bool* present;
        FileTimeTicks* value;
      };
      const Slot slots[] = {{1, &times.has_write, &times.write},
                            {2, &times.has_access, &times.access},
                            {4, &times.has_creation, &times.creation}};
      for (const Slot& slot : slots) {
        if ((flags & slot.flag) == 0) continue;
        if (length - offset < 4) break;
        *slot.present = true;
        *slot.value = UnixTimeToTicks(ReadLittleEndian32(data + offset));
        offset += 4;
      }
      return times;
    }
    pos += 4 + length;
  }
  return times;
}
