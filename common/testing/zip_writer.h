#pragma once
// For extraction and skin tests: builds zip archives in memory with exactly the fields a test
// wants (made-by system, external attributes, DOS time, extra field, a wrong CRC, encryption),
// so that no binary archive needs to live in the repository.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct ZipEntrySpec {
  std::string name;  // stored bytes, UTF-8
  std::string data;
  bool deflate = true;
  uint16_t version_made_by = 0x0014;  // high byte: system (0 DOS, 3 Unix, 11 NTFS)
  uint32_t external_attributes = 0;
  uint32_t dos_date_time = 0x52CF5200;  // 2021-06-15 10:16:00
  std::vector<unsigned char> extra;     // written to the local and the central header
  bool wrong_crc = false;
  int64_t announced_size = -1;  // when not negative: the uncompressed size stored instead of the data's
  std::string password;  // when not empty: the stored data encrypted the traditional (PKWARE) way
  int method = -1;       // when not negative: the compression method stored instead of 0 or 8
  // When not negative: no local header and data of its own, the central record points at those
  // of that earlier entry (whose name should be as long and whose data the same).
  int data_of = -1;
};

std::string BuildZip(const std::vector<ZipEntrySpec>& entries);

// `archive` (as BuildZip makes it) with a zip64 end record and its locator in front of the
// end record, which then defers to them; the zip64 record announces `entries` entries.
std::string WithZip64EndRecord(const std::string& archive, uint64_t entries);

// An extended time stamp ("UT") block with the times that `flags` announces, in the order
// write, access, creation.
std::vector<unsigned char> ExtendedTimeBlock(unsigned char flags, const std::vector<uint32_t>& unix_times);

uint32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

// Whole files, for the archives and the extracted data; Unicode paths work on Windows too.
bool WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
