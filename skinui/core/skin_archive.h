#pragma once
// A skin kept as a zip archive in memory (a resource of the program), whose files are read by
// the names the markup gives them.
#include <cstddef>
#include <memory>
#include <string>

#include "skinui/core/skin_markup.h"  // WStringView
#include "skinui/core/skin_read.h"

namespace SkinUI {

class SkinArchive {
 public:
  SkinArchive();
  ~SkinArchive();
  SkinArchive(const SkinArchive&) = delete;
  SkinArchive& operator=(const SkinArchive&) = delete;

  // Opens the archive in `data`, which stays the caller's and must outlive every read.
  // `password` is in the ANSI code page (empty for none) and serves the encrypted entries only.
  // False when the bytes are no zip archive; the archive attached before is let go either way.
  bool Attach(const void* data, size_t size, const std::string& password);

  // The entry called `name` as the markup writes it: backslashes stand for "/", and letters
  // match ignoring ASCII case (of entries differing in case alone, the first is read). An entry
  // that announces more than `limit` bytes is refused before anything is allocated for it, and
  // one whose inflated data is not exactly its announced size or fails its CRC gives
  // kUnzipping. kOpeningArchive when nothing is attached. Reads take turns: one at a time.
  SkinReadResult Read(WStringView name, size_t limit);

 private:
  struct Opened;

  std::unique_ptr<Opened> opened_;
  std::string password_;
};

}  // namespace SkinUI
