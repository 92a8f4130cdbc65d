#include "common/testing/scoped_temp_dir.h"

#include <windows.h>

#include "common/scoped_handle.h"

namespace {

std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

ScopedTempDir::ScopedTempDir() {
  wchar_t temp[MAX_PATH] = {};
  if (GetTempPathW(MAX_PATH, temp) == 0) return;
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring candidate = std::wstring(temp) + L"bokrin_test_" +
                                   std::to_wstring(GetCurrentProcessId()) + L"_" +
                                   std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate + L"\\";
      return;
    }
  }
}

ScopedTempDir::~ScopedTempDir() {
  if (!path_.empty()) DeleteTree(path_);
}

void DeleteTree(const std::wstring& path) {
  const std::wstring dir = WithoutTrailingBackslash(path);
  const DWORD attributes = GetFileAttributesW(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(dir.c_str());
    return;
  }
  WIN32_FIND_DATAW entry = {};
  {
    ScopedFindHandle find(FindFirstFileW((dir + L"\\*").c_str(), &entry));
    if (find) {
      do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") DeleteTree(dir + L"\\" + name);
      } while (FindNextFileW(find.Get(), &entry));
    }
  }
  RemoveDirectoryW(dir.c_str());
}
