#include "skinui/core/skin_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/testing/zip_writer.h"

namespace {

using SkinUI::SkinArchive;
using SkinUI::SkinReadError;
using SkinUI::SkinReadResult;

std::string Text(const SkinReadResult& result) { return std::string(result.bytes.begin(), result.bytes.end()); }

ZipEntrySpec Entry(std::string name, std::string data) {
  ZipEntrySpec entry;
  entry.name = std::move(name);
  entry.data = std::move(data);
  return entry;
}

ZipEntrySpec Stored(std::string name, std::string data) {
  ZipEntrySpec entry = Entry(std::move(name), std::move(data));
  entry.deflate = false;
  return entry;
}

ZipEntrySpec WrongCrc(std::string name, std::string data) {
  ZipEntrySpec entry = Entry(std::move(name), std::move(data));
  entry.wrong_crc = true;
  return entry;
}

ZipEntrySpec Announcing(std::string name, std::string data, int64_t size, bool deflate) {
  ZipEntrySpec entry = Entry(std::move(name), std::move(data));
  entry.announced_size = size;
  entry.deflate = deflate;
  return entry;
}

ZipEntrySpec Encrypted(std::string name, std::string data, std::string password, bool deflate) {
  ZipEntrySpec entry = Entry(std::move(name), std::move(data));
  entry.password = std::move(password);
  entry.deflate = deflate;
  return entry;
}

// A skin as the installer carries it, with the entries that a broken or hostile one may hold.
std::string SkinZip() {
  std::string zip = BuildZip({
      Entry("skin/Default.xml", "<Window size=\"600,400\"/>"),
      Entry("pic/a.png", "first"),
      Entry("PIC/A.PNG", "second, same name but for case"),
      Stored("stored.txt", "kept as it is"),
      Entry("\xE4\xB8\xAD\xE6\x96\x87/\xE5\x9B\xBE.png", "chinese"),
      Entry("empty.xml", ""),
      Entry("folder/", ""),
      Announcing("huge.xml", "small", int64_t{SkinUI::kMaxSkinXmlBytes} + 1, true),
      WrongCrc("wrong_crc.xml", "<Window/>"),
      Announcing("longer_than_data.xml", "<Window/>", 100, false),
      Announcing("shorter_than_data.xml", "<Window/><Window/>", 9, true),
      Encrypted("locked.xml", "<Locked/>", "s3cret", true),
      Encrypted("locked_stored.xml", "<Stored/>", "s3cret", false),
      Entry("garbled.xml", "<Window/>"),
  });
  // The first block of the entry's data gets the reserved block type.
  const std::string local_name = "garbled.xml";
  zip[zip.find(local_name) + local_name.size()] = '\xFF';
  return zip;
}

struct ReadCase {
  const char* what;
  const Utf16Char* name;
  std::string password;
  SkinReadError error;
  std::string data;
};

TEST(SkinArchiveTest, ReadsEntriesByName) {
  const std::string zip = SkinZip();
  const ReadCase kCases[] = {
      {"name as stored", U16("skin/Default.xml"), "", SkinReadError::kNone, "<Window size=\"600,400\"/>"},
      {"backslashes", U16("skin\\Default.xml"), "", SkinReadError::kNone, "<Window size=\"600,400\"/>"},
      {"other case", U16("SKIN\\default.XML"), "", SkinReadError::kNone, "<Window size=\"600,400\"/>"},
      {"first of two differing in case", U16("Pic\\A.png"), "", SkinReadError::kNone, "first"},
      {"stored entry", U16("stored.txt"), "", SkinReadError::kNone, "kept as it is"},
      {"name beyond ASCII", U16("中文\\图.png"), "", SkinReadError::kNone, "chinese"},
      {"missing", U16("skin/missing.xml"), "", SkinReadError::kEntryNotFound, ""},
      {"prefix of a name", U16("skin/Default"), "", SkinReadError::kEntryNotFound, ""},
      {"empty name", U16(""), "", SkinReadError::kEntryNotFound, ""},
      {"empty entry", U16("empty.xml"), "", SkinReadError::kFileEmpty, ""},
      {"folder", U16("folder\\"), "", SkinReadError::kFileEmpty, ""},
      {"announces more than the limit", U16("huge.xml"), "", SkinReadError::kFileTooLarge, ""},
      {"wrong CRC", U16("wrong_crc.xml"), "", SkinReadError::kUnzipping, ""},
      {"data shorter than announced", U16("longer_than_data.xml"), "", SkinReadError::kUnzipping, ""},
      {"data longer than announced", U16("shorter_than_data.xml"), "", SkinReadError::kUnzipping, ""},
      {"data that cannot be inflated", U16("garbled.xml"), "", SkinReadError::kUnzipping, ""},
      {"encrypted, right password", U16("locked.xml"), "s3cret", SkinReadError::kNone, "<Locked/>"},
      {"encrypted stored, right password", U16("locked_stored.xml"), "s3cret", SkinReadError::kNone, "<Stored/>"},
      {"encrypted, wrong password", U16("locked.xml"), "secret", SkinReadError::kUnzipping, ""},
      {"encrypted, no password", U16("locked.xml"), "", SkinReadError::kUnzipping, ""},
      {"plain entry read with a password", U16("stored.txt"), "s3cret", SkinReadError::kNone, "kept as it is"},
  };
  for (const ReadCase& c : kCases) {
    SCOPED_TRACE(c.what);
    SkinArchive archive;
    ASSERT_TRUE(archive.Attach(zip.data(), zip.size(), c.password));
    const SkinReadResult result = archive.Read(c.name, SkinUI::kMaxSkinXmlBytes);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(Text(result), c.data);
  }
}

TEST(SkinArchiveTest, NameWithZeroUnitIsNotCutShort) {
  const std::string zip = SkinZip();
  SkinArchive archive;
  ASSERT_TRUE(archive.Attach(zip.data(), zip.size(), ""));
  const Utf16Char name[] = U16("stored.txt\0.png");
  EXPECT_EQ(archive.Read(SkinUI::WStringView(name, sizeof(name) / sizeof(name[0]) - 1), SkinUI::kMaxSkinXmlBytes).error,
            SkinReadError::kEntryNotFound);
}

TEST(SkinArchiveTest, LimitAllowsExactlyItsSize) {
  const std::string four_mib(SkinUI::kMaxSkinXmlBytes, 'x');
  const std::string zip = BuildZip({Entry("at_limit.xml", four_mib), Entry("small.png", "0123456789")});
  SkinArchive archive;
  ASSERT_TRUE(archive.Attach(zip.data(), zip.size(), ""));
  const struct {
    const Utf16Char* name;
    size_t limit;
    SkinReadError error;
    size_t bytes;
  } kCases[] = {
      {U16("at_limit.xml"), SkinUI::kMaxSkinXmlBytes, SkinReadError::kNone, SkinUI::kMaxSkinXmlBytes},
      {U16("at_limit.xml"), SkinUI::kMaxSkinXmlBytes - 1, SkinReadError::kFileTooLarge, 0},
      {U16("small.png"), 10, SkinReadError::kNone, 10},
      {U16("small.png"), 9, SkinReadError::kFileTooLarge, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.limit);
    const SkinReadResult result = archive.Read(c.name, c.limit);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.bytes.size(), c.bytes);
  }
  EXPECT_EQ(Text(archive.Read(U16("at_limit.xml"), SkinUI::kMaxSkinXmlBytes)), four_mib);
}

TEST(SkinArchiveTest, BytesThatAreNoArchiveAreRefused) {
  const std::string zip = SkinZip();
  const std::string first_half = zip.substr(0, zip.size() / 2);
  const std::string empty_archive = BuildZip({});
  const struct {
    const char* what;
    std::string bytes;
  } kCases[] = {
      {"nothing", ""},
      {"text", "<Window/>"},
      {"first half", first_half},
      {"archive without entries", empty_archive},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    SkinArchive archive;
    EXPECT_FALSE(archive.Attach(c.bytes.data(), c.bytes.size(), ""));
    EXPECT_EQ(archive.Read(U16("skin/Default.xml"), SkinUI::kMaxSkinXmlBytes).error, SkinReadError::kOpeningArchive);
  }
}

TEST(SkinArchiveTest, AttachReplacesWhatWasAttached) {
  const std::string first = BuildZip({Entry("a.xml", "first")});
  const std::string second = BuildZip({Entry("b.xml", "second")});
  SkinArchive archive;
  EXPECT_EQ(archive.Read(U16("a.xml"), SkinUI::kMaxSkinXmlBytes).error, SkinReadError::kOpeningArchive);
  ASSERT_TRUE(archive.Attach(first.data(), first.size(), ""));
  ASSERT_TRUE(archive.Attach(second.data(), second.size(), ""));
  EXPECT_EQ(archive.Read(U16("a.xml"), SkinUI::kMaxSkinXmlBytes).error, SkinReadError::kEntryNotFound);
  EXPECT_EQ(Text(archive.Read(U16("b.xml"), SkinUI::kMaxSkinXmlBytes)), "second");
  EXPECT_FALSE(archive.Attach("junk", 4, ""));
  EXPECT_EQ(archive.Read(U16("b.xml"), SkinUI::kMaxSkinXmlBytes).error, SkinReadError::kOpeningArchive);
}

}  // namespace
