#pragma once
// What reading one of the skin's files gives, wherever it is read from (the attached archive or
// the disk), and the sizes beyond which a file is refused before any buffer is made for it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace SkinUI {

// The skin's markup files are a few kilobytes; a larger one is not a skin file, and the parser
// should not be handed it.
constexpr size_t kMaxSkinXmlBytes = 4 * 1024 * 1024;
// The largest skin pictures (full-window backgrounds at 400 percent) take a few megabytes as
// PNG. 64 MiB leaves ten times that room while one read still cannot claim a large part of a
// 32-bit process's address space, which the decoded pixels need too.
constexpr size_t kMaxPictureFileBytes = 64 * 1024 * 1024;

enum class SkinReadError {
  kNone,
  kOpeningFile,
  kFileEmpty,
  kFileTooLarge,
  kReadingFile,
  kOpeningArchive,
  kEntryNotFound,
  kUnzipping,
  kNoSkinSource,  // neither an archive attached nor a folder chosen
};

// The text the toolkit reports for `error` (ASCII, worded as it always was, since callers and
// logs match on it); empty for kNone.
const char* SkinReadErrorText(SkinReadError error);

struct SkinReadResult {
  std::vector<unsigned char> bytes;  // the whole file; empty on error
  SkinReadError error = SkinReadError::kNone;

  bool Succeeded() const { return error == SkinReadError::kNone; }
};

// kFileEmpty for 0 bytes, kFileTooLarge above `limit` (which is allowed), kNone otherwise.
// A read judges the size its source announces with this before it allocates anything.
SkinReadError JudgeAnnouncedSize(uint64_t size, size_t limit);

}  // namespace SkinUI
