#include "skinui/core/skin_resources.h"

#include <gtest/gtest.h>

#include <string>

#include "common/testing/scoped_temp_dir.h"
#include "common/testing/zip_writer.h"
#include "skinui/core/skin_file_reader.h"

namespace {

using SkinUI::ReadSkinFile;
using SkinUI::SkinReadError;
using SkinUI::SkinReadResult;
using SkinUI::SkinResources;

std::string Text(const SkinReadResult& result) { return std::string(result.bytes.begin(), result.bytes.end()); }

ZipEntrySpec Entry(std::string name, std::string data, std::string password = "") {
  ZipEntrySpec entry;
  entry.name = std::move(name);
  entry.data = std::move(data);
  entry.password = std::move(password);
  return entry;
}

class SkinResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"default.xml", "<Window/>"));
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"empty.xml", ""));
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"outside.png", "outside"));
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"\u4E2D\u6587.png", "chinese"));
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"at_limit.xml", std::string(SkinUI::kMaxSkinXmlBytes, 'x')));
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"over_limit.xml", std::string(SkinUI::kMaxSkinXmlBytes + 1, 'x')));
  }

  ScopedTempDir temp_;
};

TEST_F(SkinResourcesTest, FilesAreReadWholeWithinTheLimit) {
  const struct {
    const char* what;
    const wchar_t* name;
    size_t limit;
    SkinReadError error;
    size_t bytes;
  } kCases[] = {
      {"default.xml, room to spare", L"default.xml", SkinUI::kMaxSkinXmlBytes, SkinReadError::kNone, 9},
      {"default.xml at the limit", L"default.xml", 9, SkinReadError::kNone, 9},
      {"default.xml over the limit", L"default.xml", 8, SkinReadError::kFileTooLarge, 0},
      {"name beyond ASCII", L"\u4E2D\u6587.png", SkinUI::kMaxPictureFileBytes, SkinReadError::kNone, 7},
      {"exactly 4 MiB of markup", L"at_limit.xml", SkinUI::kMaxSkinXmlBytes, SkinReadError::kNone,
       SkinUI::kMaxSkinXmlBytes},
      {"one byte more", L"over_limit.xml", SkinUI::kMaxSkinXmlBytes, SkinReadError::kFileTooLarge, 0},
      {"empty", L"empty.xml", SkinUI::kMaxSkinXmlBytes, SkinReadError::kFileEmpty, 0},
      {"missing", L"missing.xml", SkinUI::kMaxSkinXmlBytes, SkinReadError::kOpeningFile, 0},
      {"the folder itself", L"", SkinUI::kMaxSkinXmlBytes, SkinReadError::kOpeningFile, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const SkinReadResult result = ReadSkinFile(temp_.path() + c.name, c.limit);
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.bytes.size(), c.bytes);
  }
}

TEST_F(SkinResourcesTest, WithoutArchiveFilesComeFromTheResourceFolder) {
  SkinResources resources;
  EXPECT_EQ(resources.ResourcePath(), L"");
  EXPECT_EQ(resources.ArchiveName(), L"");
  resources.SetResourcePath(temp_.path());

  EXPECT_EQ(Text(resources.ReadSkinXml(L"default.xml")), "<Window/>");
  EXPECT_EQ(resources.LastErrorText(), "");
  EXPECT_EQ(resources.ReadSkinXml(L"over_limit.xml").error, SkinReadError::kFileTooLarge);
  EXPECT_EQ(resources.LastErrorText(), "File too large");
  EXPECT_EQ(resources.ReadPicture(L"missing.png").error, SkinReadError::kOpeningFile);
  EXPECT_EQ(resources.LastErrorText(), "Error opening file");
  EXPECT_EQ(Text(resources.ReadPicture(L"over_limit.xml")), std::string(SkinUI::kMaxSkinXmlBytes + 1, 'x'));
  EXPECT_EQ(resources.LastErrorText(), "");
}

TEST_F(SkinResourcesTest, TheFirstArchiveStays) {
  const std::string first = BuildZip({Entry("skin/default.xml", "<First/>"), Entry("locked.png", "locked", "s3cret")});
  const std::string second = BuildZip({Entry("skin/default.xml", "<Second/>")});
  SkinResources resources;
  resources.SetResourcePath(temp_.path());
  resources.SetResourceZip(first.data(), static_cast<unsigned>(first.size()), L"s3cret");
  EXPECT_EQ(resources.ArchiveName(), L"membuffer");
  resources.SetResourceZip(second.data(), static_cast<unsigned>(second.size()), nullptr);
  EXPECT_EQ(resources.ArchiveName(), L"membuffer");

  EXPECT_EQ(Text(resources.ReadSkinXml(L"Skin\\Default.xml")), "<First/>");
  EXPECT_EQ(Text(resources.ReadPicture(L"locked.png")), "locked");
  EXPECT_EQ(resources.LastErrorText(), "");
}

TEST_F(SkinResourcesTest, WithArchiveOnlyPicturesFallBackToDisk) {
  const std::string zip = BuildZip({Entry("skin/default.xml", "<Zipped/>")});
  SkinResources resources;
  resources.SetResourcePath(temp_.path());
  resources.SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()), nullptr);

  // The resource folder holds a default.xml too; with an archive it is not looked at.
  EXPECT_EQ(resources.ReadSkinXml(L"default.xml").error, SkinReadError::kEntryNotFound);
  EXPECT_EQ(resources.LastErrorText(), "Could not find ziped file");
  EXPECT_EQ(resources.ReadPicture(L"default.xml").error, SkinReadError::kOpeningFile);
  EXPECT_EQ(resources.LastErrorText(), "Error opening file");
  EXPECT_EQ(Text(resources.ReadPicture(temp_.path() + L"outside.png")), "outside");
  EXPECT_EQ(resources.LastErrorText(), "");
  EXPECT_EQ(resources.ReadPicture(temp_.path() + L"empty.xml").error, SkinReadError::kFileEmpty);
  EXPECT_EQ(resources.LastErrorText(), "File is empty");
}

TEST_F(SkinResourcesTest, AnArchiveThatDoesNotOpenStillCounts) {
  const std::string zip = BuildZip({Entry("default.xml", "<Zipped/>")});
  SkinResources resources;
  resources.SetResourcePath(temp_.path());
  resources.SetResourceZip("junk", 4, nullptr);
  resources.SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()), nullptr);
  EXPECT_EQ(resources.ArchiveName(), L"membuffer");
  for (const SkinReadResult& result : {resources.ReadSkinXml(L"default.xml"), resources.ReadPicture(L"default.xml")}) {
    EXPECT_EQ(result.error, SkinReadError::kOpeningArchive);
  }
  EXPECT_EQ(resources.LastErrorText(), "Error opening zip file");
}

}  // namespace
