#pragma once
// What the archive reader makes of an entry's stored fields before anything touches the disk:
// the name as a path below the install directory, the Windows attributes, and the file times.
// Plain data in and out, so that hostile archives can be tried without a file system.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/utf16.h"

// Longest name, in UTF-16 units, that an entry may have; a longer one is refused, not cut, so
// that the name judged is the name opened.
constexpr size_t kMaxEntryNameLength = 260;

// Drops what would anchor the name anywhere but below the install directory: a leading drive
// ("X:"), leading separators, and everything up to the last "\..\", "\../", "/../" or "/..\",
// repeated until none of these is left.
WString CleanEntryName(const WString& stored_name);

// True when a cleaned name, appended to the install directory, is opened by Windows as exactly
// that text below it: not empty and at most kMaxEntryNameLength units; no drive, root or UNC
// start; no unit that Windows forbids in a name (control characters and zero, which would end
// the path early, and < > : " | ? *, where ":" would open an alternate data stream); no empty
// component but the one after a directory's trailing separator; no component that ends with
// a dot or a blank, which Windows drops ("Bokrin.exe." opens "Bokrin.exe", ".." goes up); no
// reserved device name such as "CON", "LPT1" or "COM¹" (with or without an extension).
bool IsContainedEntryName(const WString& cleaned_name);

// The program that the installation starts: a file entry named "Bokrin.exe" at the root of
// the archive, in any case of its letters.
bool IsClientExecutableEntry(const WString& cleaned_name, bool directory);

// True when the install directory (`install_dir_length` units, ending with a separator)
// followed by the name stays within what Windows opens without a long-path prefix: 259 units
// for a file, 247 for a directory, whether an entry's own or one made for its parents.
bool FitsPathLimits(size_t install_dir_length, const WString& cleaned_name, bool directory);

struct NamedEntry {
  WString name;  // cleaned and contained
  bool directory;
};

// Orders two names the way the file system tells names apart: negative, zero (the same name to
// it) or positive. The names have "/" for every separator.
using NameComparison = int (*)(const WString& a, const WString& b);

// Case-blind for ASCII letters only: all that can be told without the system's case tables.
// The installer compares with the system's own rule (CompareStringOrdinal, ignoring case).
int CompareAsciiCaseBlind(const WString& a, const WString& b);

// The number of the first file entry whose name is also a folder of the archive (a directory
// entry, or a parent of another entry), the names compared by `compare`; `entries.size()`
// when there is none. Such a pair cannot both be written.
size_t FindFileFolderClash(const std::vector<NamedEntry>& entries, NameComparison compare);

// The Windows attribute bits that entries can carry (the values of FILE_ATTRIBUTE_*).
constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeHidden = 0x02;
constexpr uint32_t kAttributeSystem = 0x04;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;

// Windows attributes from the version-made-by field and the external attributes: DOS-like
// systems store the attribute byte itself, the others (Unix) a mode word in the high half.
uint32_t EntryAttributes(uint16_t version_made_by, uint32_t external_attributes);

// A directory entry, by its attribute or by a name that ends with a separator; it is made as a
// directory and has no data of its own.
bool IsDirectoryEntry(uint32_t attributes, const WString& cleaned_name);

// 100-nanosecond ticks since 1601-01-01, the unit of FILETIME.
using FileTimeTicks = int64_t;

// The DOS date (high 16 bits) and time (low 16 bits) as ticks of the same wall-clock time, or
// false when a field is out of range (month 0, day 31 in April, hour 24, ...).
bool DosDateTimeToTicks(uint32_t dos_date_time, FileTimeTicks* ticks);

FileTimeTicks UnixTimeToTicks(uint32_t unix_time);

// Times of an extended time stamp ("UT") block; a time is set only when its flag bit is on and
// its four bytes are inside the block (central directory copies usually keep only the first).
struct ExtendedTimes {
  bool has_write = false;
  bool has_access = false;
  bool has_creation = false;
  FileTimeTicks write = 0;
  FileTimeTicks access = 0;
  FileTimeTicks creation = 0;
};

// Looks through an extra field for the "UT" block; a block that runs past the end of the field
// ends the search.
ExtendedTimes ParseExtendedTimes(const unsigned char* extra_field, size_t size);
