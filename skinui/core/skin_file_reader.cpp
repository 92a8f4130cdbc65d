#include "skinui/core/skin_file_reader.h"

#include <windows.h>

#include <algorithm>

#include "common/scoped_handle.h"

namespace SkinUI {

namespace {

SkinReadResult Failure(SkinReadError error) {
  SkinReadResult result;
  result.error = error;
  return result;
}

}  // namespace

SkinReadResult ReadSkinFile(const std::wstring& path, size_t limit) {
  // Others may read the skin at the same time (a second installer), none may change it.
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Failure(SkinReadError::kOpeningFile);
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.Get(), &size)) return Failure(SkinReadError::kReadingFile);
  const SkinReadError judged = JudgeAnnouncedSize(static_cast<uint64_t>(size.QuadPart), limit);
  if (judged != SkinReadError::kNone) return Failure(judged);

  SkinReadResult result;
  result.bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < result.bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(result.bytes.size() - done, MAXDWORD));
    DWORD got = 0;
    if (!ReadFile(file.Get(), result.bytes.data() + done, want, &got, nullptr) || got == 0) {
      return Failure(SkinReadError::kReadingFile);
    }
    done += got;
  }
  return result;
}

}  // namespace SkinUI
