#include "engine/archive_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "common/memory_archive_file.h"
#include "common/testing/zip_writer.h"

namespace {

constexpr uint32_t kUnixFileRw = 0x81A40000;     // -rw-r--r--
constexpr uint32_t kUnixDirectory = 0x41ED0010;  // drwxr-xr-x
constexpr uint16_t kMadeByUnix = 0x031E;
constexpr uint16_t kMadeByNtfs = 0x0B14;

std::string Compressible(size_t size) {
  std::string data;
  for (size_t i = 0; data.size() < size; ++i) data += "line " + std::to_string(i * 7919 % 1000) + "\n";
  data.resize(size);
  return data;
}

// An archive held in memory and walked through the memory file functions.
class MemoryArchive {
 public:
  explicit MemoryArchive(std::string bytes) : bytes_(std::move(bytes)), file_(bytes_.data(), bytes_.size()) {
    opened_ = walk_.Open(nullptr, file_.Functions());
  }
  explicit MemoryArchive(const std::vector<ZipEntrySpec>& entries) : MemoryArchive(BuildZip(entries)) {}

  bool opened() const { return opened_; }
  ArchiveWalk& walk() { return walk_; }

  ArchiveRecord Record(size_t number) {
    ArchiveRecord record;
    EXPECT_EQ(walk_.ReadRecord(number, &record), 0) << number;
    return record;
  }

  // The entry's data, and the sizes of the blocks it came in.
  int Inflate(size_t number, std::string* data, std::vector<size_t>* blocks = nullptr) {
    return walk_.Inflate(number, [&](const char* block, size_t size) {
      data->append(block, size);
      if (blocks != nullptr) blocks->push_back(size);
      return true;
    });
  }

 private:
  std::string bytes_;
  MemoryArchiveFile file_;
  ArchiveWalk walk_;
  bool opened_ = false;
};

TEST(ArchiveWalkTest, ReadsTheRecordsAsTheExtractionJudgesThem) {
  ZipEntrySpec dos_file{"docs/readme.txt", "hello"};
  dos_file.version_made_by = kMadeByNtfs;
  dos_file.external_attributes = kAttributeReadOnly | kAttributeHidden | kAttributeArchive;
  dos_file.dos_date_time = DosDateTime(2019, 7, 1, 8, 30, 10);
  ZipEntrySpec directory{"docs/", ""};
  directory.deflate = false;
  directory.version_made_by = kMadeByUnix;
  directory.external_attributes = kUnixDirectory;
  directory.dos_date_time = 0;  // what some writers store: no valid date
  ZipEntrySpec stamped{"资料/读我.txt", Compressible(40000)};
  stamped.version_made_by = kMadeByUnix;
  stamped.external_attributes = kUnixFileRw;
  stamped.extra = ExtendedTimeBlock(5, {1600000000, 1500000000});
  ZipEntrySpec hostile{"C:\\tmp\\..\\..\\x", "x"};
  // A zero byte stays in the name, so that the name is judged with what follows it.
  ZipEntrySpec cut_by_zero{std::string("Bokrin.exe\0.txt", 15), "z"};

  MemoryArchive archive({dos_file, directory, stamped, hostile, cut_by_zero});
  ASSERT_TRUE(archive.opened());
  ASSERT_EQ(archive.walk().EntryCount(), 5u);

  const ArchiveRecord dos = archive.Record(0);
  EXPECT_EQ(dos.name, WString(U16("docs/readme.txt")));
  EXPECT_EQ(dos.attributes, kAttributeReadOnly | kAttributeHidden | kAttributeArchive);
  FileTimeTicks expected = 0;
  ASSERT_TRUE(DosDateTimeToTicks(DosDateTime(2019, 7, 1, 8, 30, 10), &expected));
  EXPECT_TRUE(dos.has_dos_time);
  EXPECT_EQ(dos.dos_time, expected);
  EXPECT_FALSE(dos.stamp.has_write || dos.stamp.has_access || dos.stamp.has_creation);
  EXPECT_EQ(dos.uncompressed_size, 5u);
  EXPECT_FALSE(IsDirectoryEntry(dos.attributes, dos.name));

  const ArchiveRecord folder = archive.Record(1);
  EXPECT_EQ(folder.name, WString(U16("docs/")));
  EXPECT_EQ(folder.attributes, kAttributeDirectory | kAttributeArchive);
  EXPECT_FALSE(folder.has_dos_time);
  EXPECT_TRUE(IsDirectoryEntry(folder.attributes, folder.name));

  const ArchiveRecord stamp = archive.Record(2);
  EXPECT_EQ(stamp.name, WString(U16("资料/读我.txt")));
  EXPECT_EQ(stamp.attributes, kAttributeArchive);
  EXPECT_TRUE(stamp.stamp.has_write);
  EXPECT_FALSE(stamp.stamp.has_access);
  EXPECT_TRUE(stamp.stamp.has_creation);
  EXPECT_EQ(stamp.stamp.write, UnixTimeToTicks(1600000000));
  EXPECT_EQ(stamp.stamp.creation, UnixTimeToTicks(1500000000));
  EXPECT_EQ(stamp.uncompressed_size, 40000u);
  EXPECT_LT(stamp.compressed_size, stamp.uncompressed_size);

  // The drive and one upward step go; the second step is left for the extraction to refuse.
  EXPECT_EQ(archive.Record(3).name, WString(U16("..\\x")));
  const ArchiveRecord cut = archive.Record(4);
  EXPECT_EQ(cut.name, U16("Bokrin.exe") + WString(1, Utf16Char(0)) + U16(".txt"));
  EXPECT_FALSE(IsContainedEntryName(cut.name));

  ArchiveRecord untouched;
  untouched.name = U16("kept");
  EXPECT_EQ(archive.walk().ReadRecord(5, &untouched), kArchiveNoSuchEntry);
  EXPECT_EQ(untouched.name, WString(U16("kept")));
}

TEST(ArchiveWalkTest, OpensOnlyWholeArchives) {
  const std::string good = BuildZip({{"a.txt", "alpha"}, {"b.txt", "beta"}});
  std::string wrong_count = good;
  wrong_count[wrong_count.size() - 12] = 3;  // both entry counts of the end record
  wrong_count[wrong_count.size() - 14] = 3;
  std::string broken_directory = good;
  broken_directory[broken_directory.find("PK\x01\x02", 0) + 2] = 'X';
  const std::string empty = BuildZip({});
  std::string empty_with_comment = empty + "note";
  empty_with_comment[20] = 4;  // the end record's comment length
  std::string comment_missing = empty;
  comment_missing[20] = 5;
  struct Case {
    const char* what;
    std::string bytes;
    bool opens;
    size_t entries;
  };
  const Case kCases[] = {
      {"text", "this is not an archive", false, 0},
      {"no bytes", "", false, 0},
      {"cut", good.substr(0, good.size() - 30), false, 0},
      {"count beyond the directory", wrong_count, false, 0},
      {"broken directory", broken_directory, false, 0},
      {"end record whose comment is missing", comment_missing, false, 0},
      {"two entries", good, true, 2},
      {"two entries behind a zip64 end record", WithZip64EndRecord(good, 2), true, 2},
      // Sizing anything by such a claim would ask for gigabytes before the first entry is read.
      {"zip64 end record claiming 2^31 - 1 entries", WithZip64EndRecord(good, 0x7FFFFFFF), false, 0},
      {"zip64 end record claiming 2^40 entries", WithZip64EndRecord(good, uint64_t{1} << 40), false, 0},
      {"nothing but the end record", empty, true, 0},
      {"end record and comment", empty_with_comment, true, 0},
  };
  for (const Case& c : kCases) {
    MemoryArchive archive(c.bytes);
    EXPECT_EQ(archive.opened(), c.opens) << c.what;
    EXPECT_EQ(archive.walk().EntryCount(), c.entries) << c.what;
  }
}

TEST(ArchiveWalkTest, InflatesEveryEntryInBoundedBlocks) {
  const std::string big = Compressible(100000);
  ZipEntrySpec stored{"stored.bin", std::string("\0\1\2\3", 4)};
  stored.deflate = false;
  ZipEntrySpec stored_big{"stored_big.bin", big};
  stored_big.deflate = false;
  MemoryArchive archive({{"big.txt", big}, stored, stored_big, {"empty.txt", ""}});
  ASSERT_TRUE(archive.opened());

  for (size_t number : {0, 2}) {
    std::string data;
    std::vector<size_t> blocks;
    ASSERT_EQ(archive.Inflate(number, &data, &blocks), 0) << number;
    EXPECT_EQ(data, big) << number;
    EXPECT_GT(blocks.size(), 1u) << number;
    for (size_t block : blocks) EXPECT_LE(block, kInflateBlockBytes) << number;
  }
  std::string data;
  ASSERT_EQ(archive.Inflate(1, &data), 0);
  EXPECT_EQ(data, stored.data);
  std::vector<size_t> blocks;
  data.clear();
  ASSERT_EQ(archive.Inflate(3, &data, &blocks), 0);
  EXPECT_TRUE(blocks.empty());
}

TEST(ArchiveWalkTest, RefusesDataThatIsNotWhatTheEntrySays) {
  ZipEntrySpec corrupt{"bad.txt", Compressible(50000)};
  corrupt.wrong_crc = true;
  ZipEntrySpec corrupt_stored{"bad.bin", "stored data"};
  corrupt_stored.deflate = false;
  corrupt_stored.wrong_crc = true;
  // Data that ends before the announced size never reaches minizip's CRC check.
  ZipEntrySpec short_deflated{"short.txt", Compressible(1000)};
  short_deflated.announced_size = 1026;
  ZipEntrySpec short_stored{"short.bin", "abc"};
  short_stored.deflate = false;
  short_stored.announced_size = 10;
  MemoryArchive archive({corrupt, corrupt_stored, {"good.txt", Compressible(50000)}, short_deflated, short_stored});
  ASSERT_TRUE(archive.opened());
  std::string data;
  for (size_t number : {0, 1, 3, 4}) EXPECT_EQ(archive.Inflate(number, &data), kArchiveDataError) << number;
  EXPECT_EQ(archive.Inflate(5, &data), kArchiveNoSuchEntry);

  // A sink that refuses stops the inflation at once.
  int calls = 0;
  EXPECT_EQ(archive.walk().Inflate(2, [&calls](const char*, size_t) { return ++calls > 1; }), kArchiveWriteFailed);
  EXPECT_EQ(calls, 1);
  // The refused entry is closed again: the next one reads whole.
  data.clear();
  EXPECT_EQ(archive.Inflate(2, &data), 0);
  EXPECT_EQ(data.size(), 50000u);
}

// Every fault that refuses a package as a whole, each in a package that is otherwise whole,
// with the entry that the log names.
TEST(ArchiveWalkTest, SurveysThePackageBeforeAnythingIsWritten) {
  const ZipEntrySpec client{"Bokrin.exe", "MZ client"};
  ZipEntrySpec encrypted{"secret.txt", "hidden words"};
  encrypted.password = "pw";
  ZipEntrySpec bzip2{"packed.bin", "BZh9"};
  bzip2.deflate = false;
  bzip2.method = 12;
  ZipEntrySpec same_data{"b.txt", "shared data"};
  same_data.data_of = 1;
  ZipEntrySpec directory_client{"Bokrin.exe/", ""};
  ZipEntrySpec unix_directory_client{"Bokrin.exe", ""};
  unix_directory_client.version_made_by = kMadeByUnix;
  unix_directory_client.external_attributes = kUnixDirectory;
  const std::string padded = "Bokrin.exe" + std::string(300, ' ');
  struct Case {
    const char* what;
    std::vector<ZipEntrySpec> entries;
    PackageFault fault;
    size_t entry;
  };
  const Case kCases[] = {
      {"whole", {{"readme.txt", "r"}, client, {"skin/", ""}, {"skin/a.xml", "<a/>"}}, PackageFault::kNone, 0},
      {"client in another case", {{"BOKRIN.EXE", "MZ"}}, PackageFault::kNone, 0},
      {"no entries", {}, PackageFault::kNoClientExecutable, 0},
      {"no client", {{"readme.txt", "r"}}, PackageFault::kNoClientExecutable, 0},
      {"client below the root", {{"bin/Bokrin.exe", "MZ"}}, PackageFault::kNoClientExecutable, 0},
      {"client is a directory entry", {directory_client, {"x.txt", "x"}}, PackageFault::kNoClientExecutable, 0},
      {"client is a Unix directory", {unix_directory_client}, PackageFault::kNoClientExecutable, 0},
      {"zero byte in a name", {client, {std::string("Bokrin.exe\0.txt", 15), "evil"}}, PackageFault::kRefusedName, 1},
      {"device behind a zero byte", {client, {std::string("CON\0x.txt", 9), "evil"}}, PackageFault::kRefusedName, 1},
      {"name padded with blanks", {client, {padded, "evil"}}, PackageFault::kRefusedName, 1},
      {"trailing dot", {client, {"Bokrin.exe.", "evil"}}, PackageFault::kRefusedName, 1},
      {"superscript device", {client, {"COM\xc2\xb9.txt", "evil"}}, PackageFault::kRefusedName, 1},
      {"forbidden character", {client, {"a?.txt", "evil"}}, PackageFault::kRefusedName, 1},
      {"control character", {client, {"a\x01.txt", "evil"}}, PackageFault::kRefusedName, 1},
      {"upward step", {client, {"../evil.txt", "evil"}}, PackageFault::kRefusedName, 1},
      {"too long for the directory", {client, {std::string(250, 'n'), "long"}}, PackageFault::kPathTooLong, 1},
      {"encrypted", {client, encrypted}, PackageFault::kEncrypted, 1},
      {"unknown method", {client, bzip2}, PackageFault::kUnknownMethod, 1},
      {"two records, one data", {client, {"a.txt", "shared data"}, same_data}, PackageFault::kOverlappingData, 2},
      {"file and folder", {client, {"lib", "file"}, {"lib/x.dll", "x"}}, PackageFault::kFileFolderClash, 1},
      {"file inside the client", {client, {"Bokrin.exe/x", "x"}}, PackageFault::kFileFolderClash, 0},
  };
  constexpr size_t kInstallDirLength = 20;  // as "C:\Program Files\B\"
  for (const Case& c : kCases) {
    MemoryArchive archive(c.entries);
    ASSERT_TRUE(archive.opened()) << c.what;
    const PackageSurvey survey = SurveyPackage(&archive.walk(), kInstallDirLength, CompareAsciiCaseBlind);
    EXPECT_EQ(survey.fault, c.fault) << c.what << ": " << PackageFaultName(survey.fault);
    if (c.fault != PackageFault::kNone && c.fault != PackageFault::kNoClientExecutable) {
      EXPECT_EQ(survey.entry, c.entry) << c.what;
    }
  }
}

TEST(ArchiveWalkTest, SurveyAddsUpTheAnnouncedSizesOfTheFiles) {
  ZipEntrySpec announced_big{"big.bin", "tiny"};
  announced_big.announced_size = 0xFFFFFFF0;
  MemoryArchive archive({{"Bokrin.exe", std::string(1000, 'x')}, {"dir/", ""}, announced_big, {"e.txt", ""}});
  ASSERT_TRUE(archive.opened());
  const PackageSurvey survey = SurveyPackage(&archive.walk(), 3, CompareAsciiCaseBlind);
  EXPECT_EQ(survey.fault, PackageFault::kNone);
  EXPECT_EQ(survey.declared_bytes, uint64_t{1000} + 0xFFFFFFF0u);
}

// A data stream that holds more than its record announces is cut there, not written whole.
TEST(ArchiveWalkTest, InflationStopsAtTheAnnouncedSize) {
  ZipEntrySpec longer{"long.txt", Compressible(100000)};
  longer.announced_size = 20000;
  MemoryArchive archive({longer});
  ASSERT_TRUE(archive.opened());
  std::string data;
  EXPECT_EQ(archive.Inflate(0, &data), kArchiveDataError);
  EXPECT_LE(data.size(), 20000u);
}

}  // namespace
