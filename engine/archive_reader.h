#pragma once
// The zip archive reader of the extraction: entries by number, with names made safe, Windows
// attributes and file times, and extraction of one entry to a file or directory.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/scoped_handle.h"
#include "engine/archive_walk.h"  // the kArchive* results

struct ArchiveEntry {
  // The entry's number; for the request of entry -1, the number of entries.
  int32_t index = 0;
  // Decoded as UTF-8 and cleaned (CleanEntryName); directories keep their trailing "/".
  std::wstring name;
  DWORD attributes = 0;
  // Zero when the entry carries no usable time: the file then keeps the time of its writing.
  FILETIME access_time = {};
  FILETIME creation_time = {};
  FILETIME write_time = {};
  uint32_t compressed_size = 0;
  uint32_t uncompressed_size = 0;
};

struct Archive;
using ArchiveHandle = Archive*;

// Null when the file cannot be opened or its central directory cannot be read.
ArchiveHandle OpenArchive(const std::wstring& path);
// The same for a file that the caller opened for reading and keeps open until the archive is
// closed: everything is read through that handle, never by the file's name.
ArchiveHandle OpenArchiveFile(HANDLE file);
// Judges the whole archive before anything of it is written (SurveyPackage), telling names
// apart as Windows does.
int SurveyArchive(ArchiveHandle archive, size_t install_dir_length, PackageSurvey* survey);
// Entry -1 fills only `index` with the entry count; 0 .. count - 1 fill every field.
int GetArchiveEntry(ArchiveHandle archive, int32_t number, ArchiveEntry* entry);
// Writes the entry to the absolute path `target`, creating missing parents. A file is created
// anew without sharing; its times are set once all of it is written. A file that fails
// half-way is removed rather than left behind truncated. On failure GetLastError tells the
// Win32 error of the create or the write (0 for an entry whose data is damaged).
int ExtractEntry(ArchiveHandle archive, int32_t number, const std::wstring& target);
// Harmless for null.
void CloseArchive(ArchiveHandle archive);

struct ArchiveTraits {
  using Handle = ArchiveHandle;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CloseArchive(h); }
};
using ScopedArchive = ScopedObject<ArchiveTraits>;
