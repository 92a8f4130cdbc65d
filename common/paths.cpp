#include "common/paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"

namespace {

// The fixed buffers of the shell's path functions hold MAX_PATH characters with the zero.
constexpr size_t kPathBufferChars = MAX_PATH;

// A special folder in its short (8.3) form, followed by `appended`. Only the short form is
// used, so when the folder cannot be resolved the result is just `appended`. The directory
// is created one level deep when missing; a failure there is left to the caller's next use.
std::wstring ShellFolderSubDir(int csidl, const wchar_t* appended) {
  std::wstring result;
  LPITEMIDLIST raw_item_list = nullptr;
  if (ComSucceeded(SHGetSpecialFolderLocation(nullptr, csidl, &raw_item_list), L"Paths",
                   L"shell folder 0x%x unknown", static_cast<unsigned>(csidl))) {
    const ScopedCoTaskMem item_list(raw_item_list);
    wchar_t long_path[kPathBufferChars] = {};
    wchar_t short_path[kPathBufferChars] = {};
    if (SHGetPathFromIDListW(raw_item_list, long_path)) {
      const DWORD length = GetShortPathNameW(long_path, short_path, kPathBufferChars);
      if (length > 0 && length < kPathBufferChars) result = short_path;
    }
  }
  result += appended;
  if (!PathExists(result, true)) CreateDirectoryW(result.c_str(), nullptr);
  return result;
}

}  // namespace

bool CreateDirectoryTree(const wchar_t* path) {
  if (path == nullptr || path[0] == L'\0') return false;
  // The parent is worked out in a MAX_PATH buffer; a longer path could not be created by
  // CreateDirectoryW either, so it is refused before anything is made.
  const size_t length = wcsnlen(path, kPathBufferChars);
  if (length >= kPathBufferChars) return false;
  if (PathFileExistsW(path) || PathIsRootW(path)) return true;

  wchar_t parent[kPathBufferChars] = {};
  wmemcpy(parent, path, length);
  PathRemoveBackslashW(parent);
  PathRemoveFileSpecW(parent);
  if (wcscmp(parent, path) == 0) return false;
  if (!CreateDirectoryTree(parent)) return false;
  return CreateDirectoryW(path, nullptr) != FALSE;
}

bool PathExists(const std::wstring& path, bool must_be_directory) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  return !must_be_directory || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDeleteFile(const wchar_t* path) {
  const DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return DeleteFileW(path) != FALSE;
}

std::wstring GetAppDataDir() { return ShellFolderSubDir(CSIDL_APPDATA, L"\\Bokrin\\"); }

std::wstring GetLocalTempDir() { return ShellFolderSubDir(CSIDL_LOCAL_APPDATA, L"\\Temp\\"); }

bool VolumeHasRoom(const wchar_t* stage, const std::wstring& folder, uint64_t bytes) {
  ULARGE_INTEGER available = {};
  if (folder.empty() || !GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) {
    LogSystemFailure(stage, LastError(), L"the free space below %ls is unknown", folder.c_str());
    return true;
  }
  if (bytes <= available.QuadPart) return true;
  SetupLog(L"%ls: %llu bytes are needed, the volume of %ls has %llu free", stage,
           static_cast<unsigned long long>(bytes), folder.c_str(),
           static_cast<unsigned long long>(available.QuadPart));
  return false;
}
