#include "engine/archive_reader.h"

// iowin32.h relies on the zlib macros that unzip.h brings in.
#include <minizip/unzip.h>

#include <minizip/iowin32.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/entry_names.h"

namespace {

// minizip file functions over a file that the caller opened and keeps open, so that the bytes
// read are those of that very file, whatever its name stands for meanwhile. One stream at a
// time, which is all one open archive asks for. minizip reads header fields a byte or a few at
// a time and seeks between records, so reads are served from cached windows of the file's
// bytes and a seek only moves the position. There are two windows because the extraction goes
// back and forth between the central directory and the entries' data: one stays on the
// directory while the other follows the data.
class HandleArchiveFile {
 public:
  explicit HandleArchiveFile(HANDLE file) : file_(file) {
    for (Window& window : windows_) window.bytes.resize(kWindowBytes);
    functions_.zopen64_file = &HandleArchiveFile::Open;
    functions_.zread_file = &HandleArchiveFile::Read;
    functions_.zwrite_file = &HandleArchiveFile::Write;
    functions_.ztell64_file = &HandleArchiveFile::Tell;
    functions_.zseek64_file = &HandleArchiveFile::Seek;
    functions_.zclose_file = &HandleArchiveFile::Close;
    functions_.zerror_file = &HandleArchiveFile::Error;
    functions_.opaque = this;
  }
  HandleArchiveFile(const HandleArchiveFile&) = delete;
  HandleArchiveFile& operator=(const HandleArchiveFile&) = delete;

  zlib_filefunc64_def* Functions() { return &functions_; }

 private:
  static constexpr size_t kWindowBytes = 256 * 1024;

  // The bytes of the file from `start` on; `length` of them are valid.
  struct Window {
    std::vector<char> bytes;
    uint64_t start = 0;
    size_t length = 0;
    uint64_t last_use = 0;

    bool Holds(uint64_t position) const { return position >= start && position - start < length; }
    bool EndsAt(uint64_t position) const { return length != 0 && start + length == position; }
  };

  static HandleArchiveFile* Self(voidpf opaque) { return static_cast<HandleArchiveFile*>(opaque); }

  // The size is learnt once: nobody can change the file while the extraction holds it, which
  // is also what lets the windows be trusted.
  static voidpf Open(voidpf opaque, const void*, int mode) {
    HandleArchiveFile* self = Self(opaque);
    if (self->open_ || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(self->file_, &size)) return nullptr;
    self->size_ = static_cast<uint64_t>(size.QuadPart);
    self->file_pointer_ = UINT64_MAX;  // unknown: the first fill places it
    for (Window& window : self->windows_) window.length = 0;
    self->open_ = true;
    self->position_ = 0;
    return self;
  }
  static uLong Read(voidpf opaque, voidpf, void* buffer, uLong size) {
    HandleArchiveFile* self = Self(opaque);
    char* out = static_cast<char*>(buffer);
    uLong done = 0;
    while (done < size) {
      Window* window = self->WindowAtPosition();
      if (window == nullptr) break;
      window->last_use = ++self->uses_;
      const size_t offset = static_cast<size_t>(self->position_ - window->start);
      const size_t available = window->length - offset;
      const size_t count = available < size - done ? available : size - done;
      std::memcpy(out + done, window->bytes.data() + offset, count);
      done += static_cast<uLong>(count);
      self->position_ += count;
    }
    return done;
  }
  static uLong Write(voidpf, voidpf, const void*, uLong) { return 0; }
  static ZPOS64_T Tell(voidpf opaque, voidpf) { return Self(opaque)->position_; }
  static long Seek(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
    HandleArchiveFile* self = Self(opaque);
    switch (origin) {
      case ZLIB_FILEFUNC_SEEK_SET: self->position_ = offset; break;
      case ZLIB_FILEFUNC_SEEK_CUR: self->position_ += offset; break;
      case ZLIB_FILEFUNC_SEEK_END: self->position_ = self->size_ + offset; break;
      default: return -1;
    }
    return 0;
  }
  static int Close(voidpf opaque, voidpf) {
    Self(opaque)->open_ = false;
    return 0;
  }
  static int Error(voidpf opaque, voidpf) { return Self(opaque)->failed_ ? -1 : 0; }

  // The window that holds the current position, filled for it when none does; null at the end
  // of the file or on an error (which Error then tells). Reading on past a window's end refills
  // that window, so that a long run of data does not push the other one out; any other miss
  // refills the window used least recently.
  Window* WindowAtPosition() {
    Window* refill = &windows_[0];
    for (Window& window : windows_) {
      if (window.Holds(position_)) return &window;
    }
    for (Window& window : windows_) {
      if (window.last_use < refill->last_use) refill = &window;
    }
    for (Window& window : windows_) {
      if (window.EndsAt(position_)) refill = &window;
    }
    return Fill(refill) ? refill : nullptr;
  }
  // The file pointer is moved only when the read does not follow on from the last one.
  bool Fill(Window* window) {
    window->length = 0;
    if (position_ != file_pointer_) {
      LARGE_INTEGER where;
      where.QuadPart = static_cast<LONGLONG>(position_);
      if (!SetFilePointerEx(file_, where, nullptr, FILE_BEGIN)) {
        LogSystemFailure(L"Extraction", LastError(), L"the package cannot be positioned at %llu", position_);
        failed_ = true;
        return false;
      }
      file_pointer_ = position_;
    }
    DWORD read = 0;
    if (!ReadFile(file_, window->bytes.data(), static_cast<DWORD>(window->bytes.size()), &read, nullptr)) {
      LogSystemFailure(L"Extraction", LastError(), L"the package cannot be read at %llu", position_);
      failed_ = true;
      return false;
    }
    window->start = position_;
    window->length = read;
    file_pointer_ = position_ + read;
    return read != 0;
  }

  HANDLE file_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  uint64_t file_pointer_ = UINT64_MAX;
  Window windows_[2];
  uint64_t uses_ = 0;
  bool open_ = false;
  bool failed_ = false;
  zlib_filefunc64_def functions_ = {};
};

}  // namespace

struct Archive {
  // Declared first, so that the walk is closed before the functions it reads through go.
  std::unique_ptr<HandleArchiveFile> source;
  ArchiveWalk walk;
};

namespace {

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

void SetEntryTimes(const ArchiveRecord& record, ArchiveEntry* entry) {
  FILETIME dos_time = {};
  if (record.has_dos_time && LocalTicksToUtc(record.dos_time, &dos_time)) {
    entry->access_time = entry->creation_time = entry->write_time = dos_time;
  }
  if (record.stamp.has_write) entry->write_time = TicksToFileTime(record.stamp.write);
  if (record.stamp.has_access) entry->access_time = TicksToFileTime(record.stamp.access);
  if (record.stamp.has_creation) entry->creation_time = TicksToFileTime(record.stamp.creation);
}

// Creates the file, or truncates the one that is there; a replaced file takes the entry's
// attributes as a new one would (Wine keeps the old ones otherwise).
ScopedHandle CreateOrTruncate(const std::wstring& path, DWORD attributes) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
  if (file && GetLastError() == ERROR_ALREADY_EXISTS) {
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes;
    if (!SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic)) {
      LogSystemFailure(L"Extraction", LastError(), L"the attributes of %ls cannot be set", path.c_str());
    }
  }
  return file;
}

// An earlier installation's file is truncated in place rather than deleted first. Windows
// refuses to overwrite one that is read-only, or hidden or system when the new attributes are
// not, so only then are those attributes cleared and the open tried again.
ScopedHandle CreateReplacing(const std::wstring& path, DWORD attributes) {
  ScopedHandle file = CreateOrTruncate(path, attributes);
  if (file || GetLastError() != ERROR_ACCESS_DENIED) return file;
  constexpr DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const DWORD existing = GetFileAttributesW(path.c_str());
  if (existing == INVALID_FILE_ATTRIBUTES || (existing & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
      (existing & kBlocking) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return file;
  }
  if (!SetFileAttributesW(path.c_str(), (existing & ~kBlocking) == 0 ? FILE_ATTRIBUTE_NORMAL : existing & ~kBlocking)) {
    LogSystemFailure(L"Extraction", LastError(), L"the attributes of %ls cannot be cleared", path.c_str());
    SetLastError(ERROR_ACCESS_DENIED);
    return file;
  }
  return CreateOrTruncate(path, attributes);
}

#ifdef BOKRIN_TEST_BUILD
// Tests fill the install volume at a chosen point: once BOKRIN_TEST_EXTRACTION_ROOM bytes of
// files have been written by this process, every further write fails as on a full disk. The
// count starts again whenever the variable is unset.
bool TestVolumeFillsUp(size_t size) {
  static uint64_t written = 0;
  const char* room = std::getenv("BOKRIN_TEST_EXTRACTION_ROOM");
  if (room == nullptr || *room == '\0') {
    written = 0;
    return false;
  }
  written += size;
  return written > std::strtoull(room, nullptr, 10);
}
#endif

int ExtractFile(ArchiveWalk* walk, int32_t number, const ArchiveEntry& entry, const std::wstring& path) {
  const size_t last_separator = path.find_last_of(L'\\');
  if (last_separator != std::wstring::npos && last_separator > 0) {
    CreateDirectoryTree(path.substr(0, last_separator).c_str());
  }
  DWORD attributes = entry.attributes &
                     (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  // A file created read-only is still writable through the handle that created it, so the
  // data and the times both go through this one handle.
  ScopedHandle file = CreateReplacing(path, attributes);
  if (!file) return kArchiveCannotCreate;

  // The write's own error, for the caller's log: the clean-up below sets others.
  DWORD write_error = ERROR_SUCCESS;
  const auto write = [&file, &write_error](const char* data, size_t size) {
#ifdef BOKRIN_TEST_BUILD
    if (TestVolumeFillsUp(size)) {
      write_error = ERROR_DISK_FULL;
      return false;
    }
#endif
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(size);
    if (WriteFile(file.Get(), data, wanted, &written, nullptr) && written == wanted) return true;
    write_error = GetLastError();
    return false;
  };
  const int result = walk->Inflate(static_cast<size_t>(number), write);
  if (result == 0) {
    const FILETIME* creation = IsZeroTime(entry.creation_time) ? nullptr : &entry.creation_time;
    const FILETIME* access = IsZeroTime(entry.access_time) ? nullptr : &entry.access_time;
    const FILETIME* write = IsZeroTime(entry.write_time) ? nullptr : &entry.write_time;
    SetFileTime(file.Get(), creation, access, write);
  }
  file.Reset();
  // A file that failed half-way holds wrong data; none is better.
  if (result != 0) {
    ForceDeleteFile(path.c_str());
    SetLastError(write_error);
  }
  return result;
}

// Windows tells names apart case-blind over all of Unicode ("Ä" and "ä" are one name), by its
// own case table.
int CompareNamesAsWindows(const WString& a, const WString& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) -
         CSTR_EQUAL;
}

}  // namespace

ArchiveHandle OpenArchive(const std::wstring& path) {
  zlib_filefunc64_def file_functions;
  fill_win32_filefunc64W(&file_functions);
  auto archive = std::make_unique<Archive>();
  if (!archive->walk.Open(path.c_str(), &file_functions)) return nullptr;
  return archive.release();
}

ArchiveHandle OpenArchiveFile(HANDLE file) {
  auto archive = std::make_unique<Archive>();
  archive->source = std::make_unique<HandleArchiveFile>(file);
  if (!archive->walk.Open(nullptr, archive->source->Functions())) return nullptr;
  return archive.release();
}

int SurveyArchive(ArchiveHandle archive, size_t install_dir_length, PackageSurvey* survey) {
  if (archive == nullptr) return kArchiveNoHandle;
  *survey = SurveyPackage(&archive->walk, install_dir_length, CompareNamesAsWindows);
  return 0;
}

int GetArchiveEntry(ArchiveHandle archive, int32_t number, ArchiveEntry* entry) {
  if (archive == nullptr) return kArchiveNoHandle;
  *entry = ArchiveEntry();
  if (number == -1) {
    entry->index = static_cast<int32_t>(archive->walk.EntryCount());
    return 0;
  }
  if (number < 0) return kArchiveNoSuchEntry;
  ArchiveRecord record;
  const int result = archive->walk.ReadRecord(static_cast<size_t>(number), &record);
  if (result != 0) return result;

  entry->index = number;
  entry->name = record.name;
  entry->attributes = record.attributes;
  SetEntryTimes(record, entry);
  entry->compressed_size = static_cast<uint32_t>(record.compressed_size);
  entry->uncompressed_size = static_cast<uint32_t>(record.uncompressed_size);
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
  if (IsDirectoryEntry(entry.attributes, entry.name)) {
    CreateDirectoryTree(path.c_str());
    if (PathExists(path, true)) return 0;
    // A file of an earlier installation where a folder goes now is replaced, as files are.
    std::wstring file_path = path;
    while (!file_path.empty() && file_path.back() == L'\\') file_path.pop_back();
    if (ForceDeleteFile(file_path.c_str())) CreateDirectoryTree(path.c_str());
    return PathExists(path, true) ? 0 : kArchiveCannotCreate;
  }
  return ExtractFile(&archive->walk, number, entry, path);
}

void CloseArchive(ArchiveHandle archive) { delete archive; }
