#include "engine/archive_walk.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "common/text_convert.h"

namespace {

// An entry opened for reading; closed without the CRC verdict on early returns.
struct CurrentFileCloser {
  void operator()(void* zip) const { unzCloseCurrentFile(zip); }
};
using OpenEntry = std::unique_ptr<void, CurrentFileCloser>;

// A stream opened through the caller's file functions, for the look at an archive that
// minizip refuses.
class FunctionStream {
 public:
  FunctionStream(const zlib_filefunc64_def& functions, const void* name)
      : functions_(functions),
        stream_(functions.zopen64_file(functions.opaque, name,
                                       ZLIB_FILEFUNC_MODE_READ | ZLIB_FILEFUNC_MODE_EXISTING)) {}
  ~FunctionStream() {
    if (stream_ != nullptr) functions_.zclose_file(functions_.opaque, stream_);
  }
  FunctionStream(const FunctionStream&) = delete;
  FunctionStream& operator=(const FunctionStream&) = delete;

  bool IsOpen() const { return stream_ != nullptr; }
  bool Seek(ZPOS64_T offset, int origin) {
    return functions_.zseek64_file(functions_.opaque, stream_, offset, origin) == 0;
  }
  ZPOS64_T Tell() { return functions_.ztell64_file(functions_.opaque, stream_); }
  bool ReadAll(void* buffer, uLong size) {
    return functions_.zread_file(functions_.opaque, stream_, buffer, size) == size;
  }

 private:
  const zlib_filefunc64_def& functions_;
  voidpf stream_;
};

// minizip takes an end record at offset 0 for a missing one, so the archive with no entries
// at all (nothing but that record and its comment) is recognised here.
bool IsEmptyArchive(const void* name, const zlib_filefunc64_def& functions) {
  constexpr ZPOS64_T kEndRecordBytes = 22;
  FunctionStream file(functions, name);
  unsigned char record[kEndRecordBytes];
  if (!file.IsOpen() || !file.Seek(0, ZLIB_FILEFUNC_SEEK_END)) return false;
  const ZPOS64_T size = file.Tell();
  if (!file.Seek(0, ZLIB_FILEFUNC_SEEK_SET) || !file.ReadAll(record, kEndRecordBytes)) return false;
  static const unsigned char kEmptyEndRecord[20] = {'P', 'K', 5, 6};  // then disks, counts, size, offset: 0
  const ZPOS64_T comment_bytes = record[20] | (record[21] << 8);
  return std::memcmp(record, kEmptyEndRecord, sizeof(kEmptyEndRecord)) == 0 &&
         size == kEndRecordBytes + comment_bytes;
}

// The stored name as a whole: a zero byte is kept as a zero unit, so that the name is judged
// with everything that follows it instead of as the part before it.
WString DecodeStoredName(const char* bytes, size_t size) {
  WString name;
  size_t begin = 0;
  for (;;) {
    const size_t end = std::find(bytes + begin, bytes + size, '\0') - bytes;
    const String16 decoded = Utf8ToString16(std::string(bytes + begin, end - begin).c_str());
    name.append(decoded.CStr(), decoded.Length());
    if (end == size) return name;
    name.push_back(Utf16Char(0));
    begin = end + 1;
  }
}

struct DataRange {
  uint64_t begin;
  uint64_t end;
  size_t entry;
};

// The entry whose data begins inside another entry's data, or `ranges.size()`.
size_t FindOverlap(std::vector<DataRange> ranges) {
  std::sort(ranges.begin(), ranges.end(),
            [](const DataRange& a, const DataRange& b) { return a.begin < b.begin; });
  uint64_t covered_to = 0;
  for (size_t i = 0; i < ranges.size(); ++i) {
    if (i > 0 && ranges[i].begin < covered_to) return ranges[i].entry;
    covered_to = std::max(covered_to, ranges[i].end);
  }
  return SIZE_MAX;
}

}  // namespace

void ArchiveWalk::ZipCloser::operator()(void* zip) const { unzClose(zip); }

ArchiveWalk::ArchiveWalk() = default;
ArchiveWalk::~ArchiveWalk() = default;

bool ArchiveWalk::Open(const void* name, zlib_filefunc64_def_s* functions) {
  zip_.reset();
  positions_.clear();
  records_.clear();
  std::unique_ptr<void, ZipCloser> zip(unzOpen2_64(name, functions));
  if (zip == nullptr) return IsEmptyArchive(name, *functions);

  unz_global_info64 global = {};
  if (unzGetGlobalInfo64(zip.get(), &global) != UNZ_OK || global.number_entry > INT32_MAX) return false;
  // The count is the archive's claim: nothing is sized by it, the entries found are kept as
  // they come, and each of them takes a record that was actually read.
  std::vector<Position> positions;
  // An empty archive has no first record to go to.
  if (global.number_entry > 0) {
    for (int status = unzGoToFirstFile(zip.get()); status != UNZ_END_OF_LIST_OF_FILE;
         status = unzGoToNextFile(zip.get())) {
      unz64_file_pos position = {};
      if (status != UNZ_OK || unzGetFilePos64(zip.get(), &position) != UNZ_OK) return false;
      positions.push_back(Position{position.pos_in_zip_directory, position.num_of_file});
    }
  }
  // The walk must have found exactly the count that the end record announces.
  if (positions.size() != global.number_entry) return false;
  zip_ = std::move(zip);
  positions_ = std::move(positions);
  records_.assign(positions_.size(), std::nullopt);
  return true;
}

int ArchiveWalk::GoTo(size_t number) {
  if (number >= positions_.size()) return kArchiveNoSuchEntry;
  unz64_file_pos position = {positions_[number].directory_offset, positions_[number].number};
  return unzGoToFilePos64(zip_.get(), &position) == UNZ_OK ? 0 : kArchiveEntryUnreadable;
}

int ArchiveWalk::ReadRecord(size_t number, ArchiveRecord* record) {
  if (number >= records_.size()) return kArchiveNoSuchEntry;
  std::optional<ArchiveRecord>& known = records_[number];
  if (!known) {
    ArchiveRecord parsed;
    const int result = ParseRecord(number, &parsed);
    if (result != 0) return result;
    known = std::move(parsed);
  }
  *record = *known;
  return 0;
}

int ArchiveWalk::ParseRecord(size_t number, ArchiveRecord* record) {
  const int result = GoTo(number);
  if (result != 0) return result;
  unz_file_info64 info = {};
  if (unzGetCurrentFileInfo64(zip_.get(), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return kArchiveEntryUnreadable;
  }
  std::string name(info.size_filename + 1, '\0');
  std::vector<unsigned char> extra(info.size_file_extra);
  if (unzGetCurrentFileInfo64(zip_.get(), &info, &name[0], static_cast<uLong>(name.size()), extra.data(),
                              static_cast<uLong>(extra.size()), nullptr, 0) != UNZ_OK) {
    return kArchiveEntryUnreadable;
  }

  *record = ArchiveRecord();
  record->name = CleanEntryName(DecodeStoredName(name.data(), info.size_filename));
  record->attributes = EntryAttributes(static_cast<uint16_t>(info.version), static_cast<uint32_t>(info.external_fa));
  record->has_dos_time = DosDateTimeToTicks(static_cast<uint32_t>(info.dosDate), &record->dos_time);
  record->stamp = ParseExtendedTimes(extra.data(), extra.size());
  record->compressed_size = info.compressed_size;
  record->uncompressed_size = info.uncompressed_size;
  constexpr uLong kEncryptedFlags = 0x0001 | 0x0040;
  record->encrypted = (info.flag & kEncryptedFlags) != 0;
  record->compression_method = static_cast<uint16_t>(info.compression_method);
  return 0;
}

int ArchiveWalk::Inflate(size_t number, const ArchiveSink& sink) {
  ArchiveRecord record;
  int result = ReadRecord(number, &record);
  if (result == 0) result = GoTo(number);
  if (result != 0) return result;
  if (unzOpenCurrentFile(zip_.get()) != UNZ_OK) return kArchiveDataError;
  OpenEntry open_entry(zip_.get());

  std::vector<char> block(kInflateBlockBytes);
  uint64_t inflated = 0;
  for (;;) {
    const int read = unzReadCurrentFile(zip_.get(), block.data(), static_cast<unsigned>(block.size()));
    if (read < 0) return kArchiveDataError;
    if (read == 0) break;
    inflated += static_cast<uint64_t>(read);
    // Nothing beyond the announced size reaches the disk, whatever the data holds.
    if (inflated > record.uncompressed_size) return kArchiveDataError;
    if (!sink(block.data(), static_cast<size_t>(read))) return kArchiveWriteFailed;
  }
  // minizip gives its CRC verdict only once the announced size has been read, and takes data
  // that ends sooner as a complete entry; such an entry is cut short.
  if (inflated != record.uncompressed_size) return kArchiveDataError;
  return unzCloseCurrentFile(open_entry.release()) == UNZ_OK ? 0 : kArchiveDataError;
}

int ArchiveWalk::DataStart(size_t number, uint64_t* offset) {
  const int result = GoTo(number);
  if (result != 0) return result;
  if (unzOpenCurrentFile(zip_.get()) != UNZ_OK) return kArchiveEntryUnreadable;
  OpenEntry open_entry(zip_.get());
  *offset = unzGetCurrentFileZStreamPos64(zip_.get());
  return 0;
}

PackageSurvey SurveyPackage(ArchiveWalk* walk, size_t install_dir_length, NameComparison compare) {
  PackageSurvey survey;
  const auto refuse = [&survey](PackageFault fault, size_t number, const WString& name) {
    survey.fault = fault;
    survey.entry = number;
    survey.entry_name = name;
    return survey;
  };
  std::vector<NamedEntry> names;
  std::vector<DataRange> ranges;
  bool has_client = false;
  for (size_t number = 0; number < walk->EntryCount(); ++number) {
    ArchiveRecord record;
    if (walk->ReadRecord(number, &record) != 0) return refuse(PackageFault::kUnreadableEntry, number, WString());
    const bool directory = IsDirectoryEntry(record.attributes, record.name);
    if (!IsContainedEntryName(record.name)) return refuse(PackageFault::kRefusedName, number, record.name);
    if (!FitsPathLimits(install_dir_length, record.name, directory)) {
      return refuse(PackageFault::kPathTooLong, number, record.name);
    }
    if (record.encrypted) return refuse(PackageFault::kEncrypted, number, record.name);
    if (record.compression_method != 0 && record.compression_method != 8) {
      return refuse(PackageFault::kUnknownMethod, number, record.name);
    }
    if (record.compressed_size > 0) {
      uint64_t start = 0;
      if (walk->DataStart(number, &start) != 0) return refuse(PackageFault::kUnreadableEntry, number, record.name);
      const uint64_t end = start + record.compressed_size < start ? UINT64_MAX : start + record.compressed_size;
      ranges.push_back(DataRange{start, end, number});
    }
    if (!directory) {
      const uint64_t sum = survey.declared_bytes + record.uncompressed_size;
      survey.declared_bytes = sum < survey.declared_bytes ? UINT64_MAX : sum;
    }
    has_client = has_client || IsClientExecutableEntry(record.name, directory);
    names.push_back(NamedEntry{record.name, directory});
  }
  const size_t overlapping = FindOverlap(ranges);
  if (overlapping != SIZE_MAX) return refuse(PackageFault::kOverlappingData, overlapping, names[overlapping].name);
  const size_t clash = FindFileFolderClash(names, compare);
  if (clash != names.size()) return refuse(PackageFault::kFileFolderClash, clash, names[clash].name);
  if (!has_client) survey.fault = PackageFault::kNoClientExecutable;
  return survey;
}

const char* PackageFaultName(PackageFault fault) {
  switch (fault) {
    case PackageFault::kNone: return "none";
    case PackageFault::kUnreadableEntry: return "unreadable entry";
    case PackageFault::kRefusedName: return "refused name";
    case PackageFault::kPathTooLong: return "path too long";
    case PackageFault::kEncrypted: return "encrypted entry";
    case PackageFault::kUnknownMethod: return "unknown compression method";
    case PackageFault::kOverlappingData: return "overlapping entry data";
    case PackageFault::kFileFolderClash: return "file and folder of the same name";
    case PackageFault::kNoClientExecutable: return "no Bokrin.exe at the root";
  }
  return "unknown";
}
