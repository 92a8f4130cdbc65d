#include "skinui/core/skin_read.h"

namespace SkinUI {

const char* SkinReadErrorText(SkinReadError error) {
  switch (error) {
    case SkinReadError::kNone: return "";
    case SkinReadError::kOpeningFile: return "Error opening file";
    case SkinReadError::kFileEmpty: return "File is empty";
    case SkinReadError::kFileTooLarge: return "File too large";
    case SkinReadError::kReadingFile: return "Could not read file";
    case SkinReadError::kOpeningArchive: return "Error opening zip file";
    case SkinReadError::kEntryNotFound: return "Could not find ziped file";
    case SkinReadError::kUnzipping: return "Could not unzip file";
    case SkinReadError::kNoSkinSource: return "No skin attached";
  }
  return "";
}

SkinReadError JudgeAnnouncedSize(uint64_t size, size_t limit) {
  if (size == 0) return SkinReadError::kFileEmpty;
  if (size > limit) return SkinReadError::kFileTooLarge;
  return SkinReadError::kNone;
}

}  // namespace SkinUI
