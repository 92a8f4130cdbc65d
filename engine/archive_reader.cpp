#include "engine/archive_reader.h"

// iowin32.h relies on the zlib macros that unzip.h brings in.
#include <minizip/unzip.h>

#include <minizip/iowin32.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/text_convert.h"
#include "engine/entry_names.h"

struct Archive {
  unzFile zip = nullptr;  // null for an archive without entries, which minizip cannot open
  // Where each entry's central directory record is, so that entries are found by number
  // without walking the directory again each time.
  std::vector<unz64_file_pos> positions;
};

namespace {

constexpr DWORD kWriteBlockBytes = 16384;

// An entry opened for reading; closed (without the CRC verdict) on early returns.
struct OpenEntryTraits {
  using Handle = unzFile;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { unzCloseCurrentFile(h); }
};
using ScopedOpenEntry = ScopedObject<OpenEntryTraits>;

FILETIME TicksToFileTime(FileTimeTicks ticks) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFF);
  time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return time;
}

bool IsZeroTime(const FILETIME& time) { return time.dwLowDateTime == 0 && time.dwHighDateTime == 0; }

// DOS times are wall-clock times of the zone the archive was made in; the time-zone rules of
// that date (not of today) decide the offset, so a summer date keeps its summer offset.
bool LocalTicksToUtc(FileTimeTicks local_ticks, FILETIME* utc) {
  const FILETIME local = TicksToFileTime(local_ticks);
  SYSTEMTIME local_fields;
  SYSTEMTIME utc_fields;
  return FileTimeToSystemTime(&local, &local_fields) &&
         TzSpecificLocalTimeToSystemTime(nullptr, &local_fields, &utc_fields) &&
         SystemTimeToFileTime(&utc_fields, utc);
}

// Makes entry `number` the current one and reads its central directory record.
int ReadEntryRecord(Archive* archive, int32_t number, unz_file_info64* info, std::vector<char>* name,
                    std::vector<unsigned char>* extra) {
  if (number < 0 || static_cast<size_t>(number) >= archive->positions.size()) return kArchiveNoSuchEntry;
  if (unzGoToFilePos64(archive->zip, &archive->positions[static_cast<size_t>(number)]) != UNZ_OK ||
      unzGetCurrentFileInfo64(archive->zip, info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return kArchiveEntryUnreadable;
  }
  name->assign(info->size_filename + 1, '\0');
  extra->assign(info->size_file_extra, 0);
  if (unzGetCurrentFileInfo64(archive->zip, info, name->data(), static_cast<uLong>(name->size()),
                              extra->data(), static_cast<uLong>(extra->size()), nullptr, 0) != UNZ_OK) {
    return kArchiveEntryUnreadable;
  }
  name->pop_back();
  return 0;
}

void SetEntryTimes(const unz_file_info64& info, const std::vector<unsigned char>& extra, ArchiveEntry* entry) {
  FileTimeTicks local_ticks = 0;
  FILETIME dos_time = {};
  if (DosDateTimeToTicks(static_cast<uint32_t>(info.dosDate), &local_ticks) &&
      LocalTicksToUtc(local_ticks, &dos_time)) {
    entry->access_time = entry->creation_time = entry->write_time = dos_time;
  }
  const ExtendedTimes stamp = ParseExtendedTimes(extra.data(), extra.size());
  if (stamp.has_write) entry->write_time = TicksToFileTime(stamp.write);
  if (stamp.has_access) entry->access_time = TicksToFileTime(stamp.access);
  if (stamp.has_creation) entry->creation_time = TicksToFileTime(stamp.creation);
}

// Copies the current entry's data to `file`; the entry must be open for reading.
int CopyEntryData(unzFile zip, HANDLE file) {
  std::vector<char> block(kWriteBlockBytes);
  for (;;) {
    const int read = unzReadCurrentFile(zip, block.data(), kWriteBlockBytes);
    if (read < 0) return kArchiveDataError;
    if (read == 0) return 0;
    DWORD written = 0;
    if (!WriteFile(file, block.data(), static_cast<DWORD>(read), &written, nullptr) ||
        written != static_cast<DWORD>(read)) {
      return kArchiveWriteFailed;
    }
  }
}

int ExtractFile(unzFile zip, const ArchiveEntry& entry, const std::wstring& path) {
  const size_t last_separator = path.find_last_of(L'\\');
  if (last_separator != std::wstring::npos && last_separator > 0) {
    CreateDirectoryTree(path.substr(0, last_separator).c_str());
  }
  if (unzOpenCurrentFile(zip) != UNZ_OK) return kArchiveDataError;
  ScopedOpenEntry open_entry(zip);

  DWORD attributes = entry.attributes &
                     (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  // A file created read-only is still writable through the handle that created it, so the
  // data and the times both go through this one handle.
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
  if (!file) return kArchiveCannotCreate;

  int result = CopyEntryData(zip, file.Get());
  // Only a complete read gets the CRC verdict; a mismatch means the data on disk is wrong.
  if (result == 0 && unzCloseCurrentFile(open_entry.Release()) != UNZ_OK) result = kArchiveDataError;
  if (result == 0) {
    const FILETIME* creation = IsZeroTime(entry.creation_time) ? nullptr : &entry.creation_time;
    const FILETIME* access = IsZeroTime(entry.access_time) ? nullptr : &entry.access_time;
    const FILETIME* write = IsZeroTime(entry.write_time) ? nullptr : &entry.write_time;
    SetFileTime(file.Get(), creation, access, write);
  }
  file.Reset();
  if (result != 0) ForceDeleteFile(path.c_str());
  return result;
}

// minizip takes an end record at offset 0 for a missing one, so the archive with no entries
// at all (nothing but that record and its comment) is recognised here.
bool IsEmptyArchiveFile(const std::wstring& path) {
  constexpr DWORD kEndRecordBytes = 22;
  const ScopedHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  unsigned char record[kEndRecordBytes];
  DWORD read = 0;
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size) || !ReadFile(file.Get(), record, kEndRecordBytes, &read, nullptr) ||
      read != kEndRecordBytes) {
    return false;
  }
  static const unsigned char kEmptyEndRecord[20] = {'P', 'K', 5, 6};  // then disks, counts, size, offset: 0
  const LONGLONG comment_bytes = record[20] | (record[21] << 8);
  return std::memcmp(record, kEmptyEndRecord, sizeof(kEmptyEndRecord)) == 0 &&
         size.QuadPart == kEndRecordBytes + comment_bytes;
}

}  // namespace

ArchiveHandle OpenArchive(const std::wstring& path) {
  zlib_filefunc64_def file_functions;
  fill_win32_filefunc64W(&file_functions);
  Archive* archive = new Archive;
  ScopedArchive owner(archive);
  archive->zip = unzOpen2_64(path.c_str(), &file_functions);
  if (archive->zip == nullptr) return IsEmptyArchiveFile(path) ? owner.Release() : nullptr;

  unz_global_info64 global = {};
  if (unzGetGlobalInfo64(archive->zip, &global) != UNZ_OK || global.number_entry > INT32_MAX) return nullptr;
  // An empty archive has no first record to go to.
  if (global.number_entry == 0) return owner.Release();
  archive->positions.reserve(static_cast<size_t>(global.number_entry));
  for (int status = unzGoToFirstFile(archive->zip); status != UNZ_END_OF_LIST_OF_FILE;
       status = unzGoToNextFile(archive->zip)) {
    unz64_file_pos position = {};
    if (status != UNZ_OK || unzGetFilePos64(archive->zip, &position) != UNZ_OK) return nullptr;
    archive->positions.push_back(position);
  }
  // The walk must have found exactly the count that the end record announces.
  if (archive->positions.size() != global.number_entry) return nullptr;
  return owner.Release();
}

int GetArchiveEntry(ArchiveHandle archive, int32_t number, ArchiveEntry* entry) {
  if (archive == nullptr) return kArchiveNoHandle;
  *entry = ArchiveEntry();
  if (number == -1) {
    entry->index = static_cast<int32_t>(archive->positions.size());
    return 0;
  }
  unz_file_info64 info = {};
  std::vector<char> name;
  std::vector<unsigned char> extra;
  const int result = ReadEntryRecord(archive, number, &info, &name, &extra);
  if (result != 0) return result;

  entry->index = number;
  entry->name = CleanEntryName(CodePageToWide(CP_UTF8, std::string(name.begin(), name.end())));
  entry->attributes = EntryAttributes(static_cast<uint16_t>(info.version), static_cast<uint32_t>(info.external_fa));
  SetEntryTimes(info, extra, entry);
  entry->compressed_size = static_cast<uint32_t>(info.compressed_size);
  entry->uncompressed_size = static_cast<uint32_t>(info.uncompressed_size);
  return 0;
}

int ExtractEntry(ArchiveHandle archive, int32_t number, const std::wstring& target) {
  ArchiveEntry entry;
  const int result = GetArchiveEntry(archive, number, &entry);
  if (result != 0) return result;

  // Stored names use "/"; the directory helpers split paths at "\" only.
  std::wstring path = target;
  for (wchar_t& ch : path) {
    if (ch == L'/') ch = L'\\';
  }
  const bool is_directory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
                            (!entry.name.empty() && (entry.name.back() == L'/' || entry.name.back() == L'\\'));
  if (is_directory) {
    CreateDirectoryTree(path.c_str());
    return PathExists(path, true) ? 0 : kArchiveCannotCreate;
  }
  return ExtractFile(archive->zip, entry, path);
}

void CloseArchive(ArchiveHandle archive) {
  if (archive == nullptr) return;
  if (archive->zip != nullptr) unzClose(archive->zip);
  delete archive;
}
