#pragma once
// The minizip side of the package reader, with no file system of its own: the archive is read
// through file functions that the caller gives (Win32 files in the installer, a buffer in tests
// and fuzzing). It finds the entries, reads an entry's record the way the extraction judges it
// and inflates an entry's data into a caller-given sink, with the CRC verdict.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "common/utf16.h"
#include "engine/entry_names.h"

// minizip's file functions (ioapi.h); the header stays out of here, since it redefines the
// large-file macros of whatever includes it.
struct zlib_filefunc64_def_s;

// Results of the archive operations besides 0 (success), for the walk and the Windows reader.
constexpr int kArchiveNoHandle = 1;
constexpr int kArchiveNoSuchEntry = 2;
constexpr int kArchiveEntryUnreadable = 3;
constexpr int kArchiveCannotCreate = 4;
constexpr int kArchiveWriteFailed = 5;
constexpr int kArchiveDataError = 6;

// Blocks handed to an inflation sink hold at most this many bytes.
constexpr size_t kInflateBlockBytes = 16384;

// One entry's central directory record as the extraction uses it.
struct ArchiveRecord {
  // The whole stored name decoded as UTF-8, zero bytes included, then cleaned (CleanEntryName);
  // a zero unit left in it makes IsContainedEntryName refuse it.
  WString name;
  uint32_t attributes = 0;  // EntryAttributes
  // The stored date and time as ticks of the same wall-clock time, in no particular zone;
  // false when they are out of range.
  bool has_dos_time = false;
  FileTimeTicks dos_time = 0;
  ExtendedTimes stamp;  // from the record's extra field
  uint64_t compressed_size = 0;
  uint64_t uncompressed_size = 0;
  bool encrypted = false;            // general purpose flag bit 0 (or 6, strong encryption)
  uint16_t compression_method = 0;   // 0 stored, 8 deflated; the reader knows no other
};

// Takes inflated data block by block; false stops the inflation.
using ArchiveSink = std::function<bool(const char* data, size_t size)>;

class ArchiveWalk {
 public:
  ArchiveWalk();
  ~ArchiveWalk();
  ArchiveWalk(const ArchiveWalk&) = delete;
  ArchiveWalk& operator=(const ArchiveWalk&) = delete;

  // Opens the archive that `functions` read under `name` (passed to their open function as
  // it is) and finds every entry. False when it is not a zip archive, its central directory
  // cannot be walked, or the walk finds another number of entries than the end record
  // announces. An archive of nothing but its end record opens with no entries.
  bool Open(const void* name, zlib_filefunc64_def_s* functions);

  size_t EntryCount() const { return positions_.size(); }

  // kArchiveNoSuchEntry for a number past the last entry, kArchiveEntryUnreadable when the
  // record cannot be read. Each record is read from the archive once and then kept.
  int ReadRecord(size_t number, ArchiveRecord* record);

  // Inflates the entry into `sink`. 0 only when all of its data arrived, as long as its record
  // announces, and matches its CRC; kArchiveDataError for data that cannot be inflated, is
  // shorter or longer or does not match, kArchiveWriteFailed when the sink stopped it. The
  // sink never gets more than the announced size.
  int Inflate(size_t number, const ArchiveSink& sink);

  // Where the entry's stored data begins in the archive, behind its local header; reading the
  // header checks it against the central record.
  int DataStart(size_t number, uint64_t* offset);

 private:
  // Where an entry's central directory record is (minizip's unz64_file_pos).
  struct Position {
    uint64_t directory_offset;
    uint64_t number;
  };
  struct ZipCloser {
    void operator()(void* zip) const;
  };

  int GoTo(size_t number);
  int ParseRecord(size_t number, ArchiveRecord* record);

  std::unique_ptr<void, ZipCloser> zip_;  // null for an archive without entries
  std::vector<Position> positions_;
  std::vector<std::optional<ArchiveRecord>> records_;  // by number, once read
};

// Why a package is refused before anything of it is written.
enum class PackageFault {
  kNone,
  kUnreadableEntry,      // a record or local header that cannot be read
  kRefusedName,          // IsContainedEntryName refuses the name
  kPathTooLong,          // the name does not fit FitsPathLimits below the install directory
  kEncrypted,
  kUnknownMethod,        // neither stored nor deflated
  kOverlappingData,      // the entry's data shares bytes of the archive with another entry's
  kFileFolderClash,      // a file entry's name is also a folder of the archive
  kNoClientExecutable,   // no file entry "Bokrin.exe" at the root
};

struct PackageSurvey {
  PackageFault fault = PackageFault::kNone;
  // The refused entry's number and cleaned name (not for kNoClientExecutable).
  size_t entry = 0;
  WString entry_name;
  // The file entries' announced sizes added up (saturating): what the extraction will write.
  uint64_t declared_bytes = 0;
};

// Judges every entry of an opened archive once, before the first is written, for an install
// directory of `install_dir_length` units (ending with a separator), telling names apart by
// `compare`. The first fault found ends the survey.
PackageSurvey SurveyPackage(ArchiveWalk* walk, size_t install_dir_length, NameComparison compare);

// A short English word for the log.
const char* PackageFaultName(PackageFault fault);
