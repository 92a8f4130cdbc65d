#include "skinui/core/skin_read.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using SkinUI::SkinReadError;

TEST(SkinReadErrorTest, TextsAreTheToolkitsWording) {
  const struct {
    SkinReadError error;
    const char* text;
  } kCases[] = {
      {SkinReadError::kNone, ""},
      {SkinReadError::kOpeningFile, "Error opening file"},
      {SkinReadError::kFileEmpty, "File is empty"},
      {SkinReadError::kFileTooLarge, "File too large"},
      {SkinReadError::kReadingFile, "Could not read file"},
      {SkinReadError::kOpeningArchive, "Error opening zip file"},
      {SkinReadError::kEntryNotFound, "Could not find ziped file"},
      {SkinReadError::kUnzipping, "Could not unzip file"},
      {SkinReadError::kNoSkinSource, "No skin attached"},
  };
  for (const auto& c : kCases) EXPECT_STREQ(SkinReadErrorText(c.error), c.text);
}

TEST(SkinReadErrorTest, AnnouncedSizesAreJudgedAgainstTheLimit) {
  const struct {
    uint64_t size;
    size_t limit;
    SkinReadError error;
  } kCases[] = {
      {0, 100, SkinReadError::kFileEmpty},
      {1, 100, SkinReadError::kNone},
      {100, 100, SkinReadError::kNone},
      {101, 100, SkinReadError::kFileTooLarge},
      {SkinUI::kMaxSkinXmlBytes, SkinUI::kMaxSkinXmlBytes, SkinReadError::kNone},
      {SkinUI::kMaxSkinXmlBytes + 1, SkinUI::kMaxSkinXmlBytes, SkinReadError::kFileTooLarge},
      {uint64_t{1} << 40, SkinUI::kMaxPictureFileBytes, SkinReadError::kFileTooLarge},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(SkinUI::JudgeAnnouncedSize(c.size, c.limit), c.error);
  }
}

}  // namespace
