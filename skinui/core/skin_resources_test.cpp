#include "skinui/core/skin_resources.h"

#include <windows.h>

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

// Makes `directory` the process's current directory until the object goes.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::wstring& directory) {
    wchar_t saved[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, saved);
    if (length > 0 && length <= MAX_PATH) saved_ = saved;
    EXPECT_TRUE(SetCurrentDirectoryW(directory.c_str()));
  }
  ~ScopedCurrentDirectory() {
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
  }
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

 private:
  std::wstring saved_;
};

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
  EXPECT_FALSE(resources.ResourceFolder().has_value());
  EXPECT_EQ(resources.ArchiveName(), L"");
  resources.UseResourceFolder(temp_.path());

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
  resources.UseResourceFolder(temp_.path());
  resources.SetResourceZip(first.data(), static_cast<unsigned>(first.size()), L"s3cret");
  EXPECT_EQ(resources.ArchiveName(), L"membuffer");
  resources.SetResourceZip(second.data(), static_cast<unsigned>(second.size()), nullptr);
  EXPECT_EQ(resources.ArchiveName(), L"membuffer");

  EXPECT_EQ(Text(resources.ReadSkinXml(L"Skin\\Default.xml")), "<First/>");
  EXPECT_EQ(Text(resources.ReadPicture(L"locked.png")), "locked");
  EXPECT_EQ(resources.LastErrorText(), "");
}

// The installer's current directory belongs to whoever started it; a name the archive lacks
// (a display-scale variant it has none of) must not be found there, nor in a chosen folder,
// nor anywhere else as a full path.
TEST_F(SkinResourcesTest, WithArchiveNothingIsReadFromDisk) {
  const std::string zip = BuildZip({Entry("skin/default.xml", "<Zipped/>")});
  const ScopedCurrentDirectory current(temp_.path());
  SkinResources resources;
  resources.UseResourceFolder(temp_.path());
  resources.SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()), nullptr);

  EXPECT_EQ(Text(resources.ReadSkinXml(L"skin/default.xml")), "<Zipped/>");
  const struct {
    const char* what;
    std::wstring name;
  } kPlanted[] = {
      {"markup in the current directory and the folder", L"default.xml"},
      {"picture in the current directory and the folder", L"outside.png"},
      {"full path", temp_.path() + L"outside.png"},
  };
  for (const auto& c : kPlanted) {
    SCOPED_TRACE(c.what);
    for (const SkinReadResult& result : {resources.ReadSkinXml(c.name), resources.ReadPicture(c.name)}) {
      EXPECT_EQ(result.error, SkinReadError::kEntryNotFound);
      EXPECT_TRUE(result.bytes.empty());
    }
    EXPECT_EQ(resources.LastErrorText(), "Could not find ziped file");
  }
}

// Without an archive the disk is read only when a folder was chosen; the current directory
// counts only when chosen as the empty folder.
TEST_F(SkinResourcesTest, WithoutArchiveTheDiskIsReadOnlyFromAChosenFolder) {
  const ScopedCurrentDirectory current(temp_.path());
  SkinResources resources;
  for (const SkinReadResult& result : {resources.ReadSkinXml(L"default.xml"), resources.ReadPicture(L"outside.png")}) {
    EXPECT_EQ(result.error, SkinReadError::kNoSkinSource);
  }
  EXPECT_EQ(resources.LastErrorText(), "No skin attached");

  resources.UseResourceFolder(L"");
  EXPECT_EQ(Text(resources.ReadSkinXml(L"default.xml")), "<Window/>");
  EXPECT_EQ(Text(resources.ReadPicture(L"outside.png")), "outside");
}

TEST_F(SkinResourcesTest, AnArchiveThatDoesNotOpenStillCounts) {
  const std::string zip = BuildZip({Entry("default.xml", "<Zipped/>")});
  SkinResources resources;
  resources.UseResourceFolder(temp_.path());
  resources.SetResourceZip("junk", 4, nullptr);
  resources.SetResourceZip(zip.data(), static_cast<unsigned>(zip.size()), nullptr);
  EXPECT_EQ(resources.ArchiveName(), L"membuffer");
  for (const SkinReadResult& result : {resources.ReadSkinXml(L"default.xml"), resources.ReadPicture(L"default.xml")}) {
    EXPECT_EQ(result.error, SkinReadError::kOpeningArchive);
  }
  EXPECT_EQ(resources.LastErrorText(), "Error opening zip file");
}

}  // namespace
