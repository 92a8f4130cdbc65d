#include "engine/archive_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/zip_writer.h"

namespace {

constexpr uint32_t kUnixFileRw = 0x81A40000;     // -rw-r--r--
constexpr uint32_t kUnixDirectory = 0x41ED0010;  // drwxr-xr-x
constexpr uint16_t kMadeByUnix = 0x031E;
constexpr uint16_t kMadeByNtfs = 0x0B14;
constexpr uint32_t kStampWrite = 1600000000;   // 2020-09-13 12:26:40 UTC
constexpr uint32_t kStampAccess = 1650000000;
constexpr uint32_t kStampCreate = 1500000000;

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t UnixTicks(uint32_t unix_time) { return (unix_time + 11644473600ULL) * 10000000ULL; }

// The wall-clock time of the local zone that a UTC file time stands for.
SYSTEMTIME LocalFields(const FILETIME& utc) {
  SYSTEMTIME utc_fields = {};
  SYSTEMTIME local = {};
  EXPECT_TRUE(FileTimeToSystemTime(&utc, &utc_fields));
  EXPECT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utc_fields, &local));
  return local;
}

std::string Compressible(size_t size) {
  std::string data;
  for (size_t i = 0; data.size() < size; ++i) data += "line " + std::to_string(i * 7919 % 1000) + "\n";
  data.resize(size);
  return data;
}

class ArchiveReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.path().empty()); }

  std::wstring WriteArchive(const std::vector<ZipEntrySpec>& entries, const std::wstring& file = L"p.zip") {
    const std::wstring path = temp_.path() + file;
    EXPECT_TRUE(WriteFileBytes(path, BuildZip(entries)));
    return path;
  }

  ScopedTempDir temp_;
};

TEST_F(ArchiveReaderTest, ReportsEveryFieldOfTheEntries) {
  ZipEntrySpec dos_file{"docs/readme.txt", "hello"};
  dos_file.version_made_by = kMadeByNtfs;
  dos_file.external_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  dos_file.dos_date_time = DosDateTime(2019, 7, 1, 8, 30, 10);
  ZipEntrySpec directory{"docs/", ""};
  directory.deflate = false;
  directory.version_made_by = kMadeByUnix;
  directory.external_attributes = kUnixDirectory;
  ZipEntrySpec stamped{"资料/读我.txt", Compressible(40000)};
  stamped.version_made_by = kMadeByUnix;
  stamped.external_attributes = kUnixFileRw;
  stamped.extra = ExtendedTimeBlock(7, {kStampWrite, kStampAccess, kStampCreate});
  // The drive and one upward step go; the second step is left for the extraction to refuse.
  ZipEntrySpec hostile{"C:\\tmp\\..\\..\\x", "x"};

  const ScopedArchive archive(OpenArchive(WriteArchive({dos_file, directory, stamped, hostile})));
  ASSERT_TRUE(archive);
  ArchiveEntry entry;
  ASSERT_EQ(GetArchiveEntry(archive.Get(), -1, &entry), 0);
  EXPECT_EQ(entry.index, 4);
  EXPECT_TRUE(entry.name.empty());

  ASSERT_EQ(GetArchiveEntry(archive.Get(), 0, &entry), 0);
  EXPECT_EQ(entry.index, 0);
  EXPECT_EQ(entry.name, L"docs/readme.txt");
  EXPECT_EQ(entry.attributes, DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(entry.uncompressed_size, 5u);
  const SYSTEMTIME local = LocalFields(entry.write_time);
  EXPECT_EQ(local.wYear, 2019);
  EXPECT_EQ(local.wMonth, 7);
  EXPECT_EQ(local.wDay, 1);
  EXPECT_EQ(local.wHour, 8);
  EXPECT_EQ(local.wMinute, 30);
  EXPECT_EQ(local.wSecond, 10);
  EXPECT_EQ(Ticks(entry.access_time), Ticks(entry.write_time));
  EXPECT_EQ(Ticks(entry.creation_time), Ticks(entry.write_time));

  ASSERT_EQ(GetArchiveEntry(archive.Get(), 1, &entry), 0);
  EXPECT_EQ(entry.name, L"docs/");
  EXPECT_EQ(entry.attributes, DWORD{FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE});

  ASSERT_EQ(GetArchiveEntry(archive.Get(), 2, &entry), 0);
  EXPECT_EQ(entry.name, L"资料/读我.txt");
  EXPECT_EQ(entry.attributes, DWORD{FILE_ATTRIBUTE_ARCHIVE});
  EXPECT_EQ(entry.uncompressed_size, 40000u);
  EXPECT_LT(entry.compressed_size, entry.uncompressed_size);
  EXPECT_EQ(Ticks(entry.write_time), UnixTicks(kStampWrite));
  EXPECT_EQ(Ticks(entry.access_time), UnixTicks(kStampAccess));
  EXPECT_EQ(Ticks(entry.creation_time), UnixTicks(kStampCreate));

  ASSERT_EQ(GetArchiveEntry(archive.Get(), 3, &entry), 0);
  EXPECT_EQ(entry.name, L"..\\x");
}

TEST_F(ArchiveReaderTest, RefusesMissingHandlesAndEntryNumbers) {
  ArchiveEntry entry;
  EXPECT_NE(GetArchiveEntry(nullptr, -1, &entry), 0);
  EXPECT_NE(GetArchiveEntry(nullptr, 0, &entry), 0);
  EXPECT_NE(ExtractEntry(nullptr, 0, temp_.path() + L"x"), 0);
  CloseArchive(nullptr);

  const ScopedArchive archive(OpenArchive(WriteArchive({{"a.txt", "a"}})));
  ASSERT_TRUE(archive);
  for (int32_t number : {1, -2, INT32_MAX, INT32_MIN}) {
    EXPECT_NE(GetArchiveEntry(archive.Get(), number, &entry), 0) << number;
    EXPECT_NE(ExtractEntry(archive.Get(), number, temp_.path() + L"x"), 0) << number;
  }
  EXPECT_EQ(GetFileAttributesW((temp_.path() + L"x").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Which archives are whole is the walk's matter (archive_walk_test); this is the walk over files.
TEST_F(ArchiveReaderTest, OpensArchiveFilesOnly) {
  const std::pair<const char*, std::string> kFiles[] = {
      {"text", "this is not an archive"},
      {"empty", ""},
  };
  for (const auto& file : kFiles) {
    const std::wstring path = temp_.path() + L"bad.zip";
    ASSERT_TRUE(WriteFileBytes(path, file.second));
    EXPECT_EQ(OpenArchive(path), nullptr) << file.first;
  }
  EXPECT_EQ(OpenArchive(temp_.path() + L"missing.zip"), nullptr);
  const ScopedArchive intact(OpenArchive(WriteArchive({{"a.txt", "alpha"}})));
  EXPECT_TRUE(intact);
  const ScopedArchive empty(OpenArchive(WriteArchive({}, L"empty.zip")));
  ASSERT_TRUE(empty);
  ArchiveEntry summary;
  ASSERT_EQ(GetArchiveEntry(empty.Get(), -1, &summary), 0);
  EXPECT_EQ(summary.index, 0);
}

TEST_F(ArchiveReaderTest, ExtractsFilesAndDirectoriesWithTheirAttributesAndTimes) {
  const std::string big = Compressible(100000);  // several blocks
  ZipEntrySpec read_only{"a/b/c/ro.txt", "read only"};
  read_only.version_made_by = kMadeByNtfs;
  read_only.external_attributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
  read_only.extra = ExtendedTimeBlock(7, {kStampWrite, kStampAccess, kStampCreate});
  ZipEntrySpec hidden{"hidden.dat", big};
  hidden.version_made_by = kMadeByNtfs;
  hidden.external_attributes = FILE_ATTRIBUTE_HIDDEN;
  hidden.dos_date_time = DosDateTime(2018, 12, 24, 18, 0, 0);
  ZipEntrySpec stored{"x/y/stored.bin", std::string("\0\1\2\3", 4)};
  stored.deflate = false;
  ZipEntrySpec directory{"x/y/z/", ""};
  directory.version_made_by = kMadeByUnix;
  directory.external_attributes = kUnixDirectory;

  const ScopedArchive archive(OpenArchive(WriteArchive({read_only, hidden, stored, directory})));
  ASSERT_TRUE(archive);
  const std::wstring out = temp_.path() + L"out\\";
  ASSERT_EQ(ExtractEntry(archive.Get(), 0, out + L"a/b/c/ro.txt"), 0);
  ASSERT_EQ(ExtractEntry(archive.Get(), 1, out + L"hidden.dat"), 0);
  ASSERT_EQ(ExtractEntry(archive.Get(), 2, out + L"x/y/stored.bin"), 0);
  ASSERT_EQ(ExtractEntry(archive.Get(), 3, out + L"x/y/z/"), 0);

  // The times of the read-only file were set although nobody may write to it any more.
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW((out + L"a\\b\\c\\ro.txt").c_str(), GetFileExInfoStandard, &data));
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(Ticks(data.ftLastWriteTime), UnixTicks(kStampWrite));
  EXPECT_EQ(Ticks(data.ftLastAccessTime), UnixTicks(kStampAccess));
  // No creation time is checked on disk: Wine cannot keep one on a Linux file system. The
  // entry's creation time is checked where the entries are read.

  // Read only after the times: reading moves the access time.
  EXPECT_EQ(ReadFileBytes(out + L"a\\b\\c\\ro.txt"), "read only");
  EXPECT_EQ(ReadFileBytes(out + L"hidden.dat"), big);
  EXPECT_EQ(ReadFileBytes(out + L"x\\y\\stored.bin"), stored.data);
  const DWORD directory_attributes = GetFileAttributesW((out + L"x\\y\\z").c_str());
  ASSERT_NE(directory_attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(directory_attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

  ASSERT_TRUE(GetFileAttributesExW((out + L"hidden.dat").c_str(), GetFileExInfoStandard, &data));
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
  const SYSTEMTIME local = LocalFields(data.ftLastWriteTime);
  EXPECT_EQ(local.wYear, 2018);
  EXPECT_EQ(local.wMonth, 12);
  EXPECT_EQ(local.wDay, 24);
  EXPECT_EQ(local.wHour, 18);
}

// Bytes that do not compress, so that stored and deflated entries span the reader's windows.
std::string Noise(size_t size, uint32_t seed) {
  std::string data(size, '\0');
  for (char& byte : data) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<char>(seed >> 24);
  }
  return data;
}

// Through a held handle the package is read in windows of its bytes. Entries larger than a
// window, hundreds of records, and extraction both in order and backwards must all come out
// byte for byte.
TEST_F(ArchiveReaderTest, ThroughAHeldHandleEveryEntryComesOutWhole) {
  std::vector<ZipEntrySpec> entries;
  ZipEntrySpec stored{"big/stored.bin", Noise(700 * 1024, 1)};
  stored.deflate = false;
  entries.push_back(stored);
  for (int i = 0; i < 400; ++i) entries.push_back({"small/" + std::to_string(i) + ".txt", Compressible(100 + i * 37)});
  entries.push_back({"big/noise.bin", Noise(600 * 1024, 2)});
  entries.push_back({"big/text.txt", Compressible(3 * 1024 * 1024)});
  const std::wstring path = WriteArchive(entries);
  const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  const ScopedArchive archive(OpenArchiveFile(file.Get()));
  ASSERT_TRUE(archive);

  const auto extract_and_compare = [&](int32_t number, const std::wstring& out) {
    const std::wstring target = out + std::to_wstring(number) + L".out";
    ASSERT_EQ(ExtractEntry(archive.Get(), number, target), 0) << number;
    EXPECT_EQ(ReadFileBytes(target), entries[static_cast<size_t>(number)].data) << number;
  };
  const int32_t count = static_cast<int32_t>(entries.size());
  for (int32_t number = 0; number < count; ++number) extract_and_compare(number, temp_.path() + L"forward\\");
  for (int32_t number = count - 1; number >= 0; --number) extract_and_compare(number, temp_.path() + L"backward\\");
}

TEST_F(ArchiveReaderTest, ACorruptEntryFailsAndLeavesNoFile) {
  ZipEntrySpec corrupt{"bad.txt", Compressible(50000)};
  corrupt.wrong_crc = true;
  ZipEntrySpec corrupt_stored{"bad.bin", "stored data"};
  corrupt_stored.deflate = false;
  corrupt_stored.wrong_crc = true;
  ZipEntrySpec cut_short{"short.txt", Compressible(1000)};
  cut_short.announced_size = 2000;
  const ScopedArchive archive(OpenArchive(WriteArchive({corrupt, corrupt_stored, cut_short})));
  ASSERT_TRUE(archive);
  int32_t number = 0;
  for (const wchar_t* name : {L"bad.txt", L"bad.bin", L"short.txt"}) {
    EXPECT_NE(ExtractEntry(archive.Get(), number++, temp_.path() + name), 0) << name;
    EXPECT_EQ(GetFileAttributesW((temp_.path() + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  }
}

TEST_F(ArchiveReaderTest, AFileHeldOpenByAnotherProgramCannotBeReplaced) {
  const std::wstring target = temp_.path() + L"Bokrin.exe";
  ASSERT_TRUE(WriteFileBytes(target, "old"));
  const ScopedHandle held(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  const ScopedArchive archive(OpenArchive(WriteArchive({{"Bokrin.exe", "new"}})));
  ASSERT_TRUE(archive);
  EXPECT_NE(ExtractEntry(archive.Get(), 0, target), 0);
}

}  // namespace
