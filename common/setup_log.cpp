#include "common/setup_log.h"

#include <windows.h>

#include <cstdarg>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/setup_log_line.h"
#include "common/setup_log_version.h"
#include "common/system_failure.h"

namespace {

struct SetupLogFile {
  SRWLOCK lock = SRWLOCK_INIT;
  ScopedHandle file;
  ScopedHandle copy;
};

// Never destroyed: the engine thread may still log while the process exits, and Windows
// closes the file then.
SetupLogFile& TheLog() {
  static SetupLogFile* const log = new SetupLogFile;
  return *log;
}

std::wstring TempFilePath(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return std::wstring();
  return std::wstring(temp, length) + name;
}

// The version of this program's version resource, or a note that it has none.
std::wstring ProgramVersion() {
  const HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  const HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
  // Resource data stays mapped for the life of the process.
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const std::wstring version =
      data != nullptr ? FileVersionText(static_cast<const unsigned char*>(data), SizeofResource(nullptr, resource))
                      : std::wstring();
  return version.empty() ? L"(no version resource)" : version;
}

// The path the system reaches `handle`'s object by ("\\?\C:\..."), empty when it cannot tell.
std::wstring FinalPath(HANDLE handle) {
  std::vector<wchar_t> path(MAX_PATH + 1);
  DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  if (length >= path.size()) {
    path.resize(length + 1);
    length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
  }
  return length == 0 || length >= path.size() ? std::wstring() : std::wstring(path.data(), length);
}

// Whether the open file is the entry `path` names itself. Some links are not reparse points
// (a Unix symbolic link as Wine shows it is its target, with the target's attributes); the
// handle's own path then leads elsewhere than the folder's path followed by the name.
bool IsEntryItself(HANDLE file, const std::wstring& path) {
  const size_t separator = path.find_last_of(L'\\');
  ScopedHandle folder(CreateFileW(path.substr(0, separator + 1).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder) return false;
  std::wstring expected = FinalPath(folder.Get());
  if (expected.empty()) return false;
  if (expected.back() != L'\\') expected += L'\\';
  expected += path.substr(separator + 1);
  const std::wstring actual = FinalPath(file);
  return CompareStringOrdinal(actual.c_str(), static_cast<int>(actual.size()), expected.c_str(),
                              static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

// Renames the open file to `path` in its folder, replacing whatever entry has that name (a link
// there goes, not its target).
bool RenameOpenFile(HANDLE file, const std::wstring& path) {
  const size_t name_bytes = path.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFO, FileName) + name_bytes + sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name_bytes);
  std::memcpy(rename->FileName, path.c_str(), name_bytes + sizeof(wchar_t));
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()));
}

// Moves the previous run's log aside; true when its name is free for this run. %TEMP% belongs
// to the unelevated user, who may have put a link or a folder under the log's name: the entry
// is opened without following a link, and only a plain file with no other name (a hard link
// shares its data with a file elsewhere) is renamed or, when that fails, deleted, both through
// the handle, so that nothing but that entry can be touched. Anything else stays as it is.
bool KeepPreviousLog(const std::wstring& path) {
  ScopedHandle old_log(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!old_log) return GetLastError() == ERROR_FILE_NOT_FOUND;
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(old_log.Get(), &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
      information.nNumberOfLinks != 1 || !IsEntryItself(old_log.Get(), path)) {
    return false;
  }
  if (RenameOpenFile(old_log.Get(), TempFilePath(L"BokrinSetup.old.log"))) return true;
  // This run's log matters more than the previous one.
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(old_log.Get(), FileDispositionInfo, &disposition, sizeof disposition);
}

// Only a new file: a link planted under the name must not make this elevated process write
// somewhere else. Readers (a support tool, an editor) may look while the installer still runs.
ScopedHandle CreateNewLog(const std::wstring& path) {
  return ScopedHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// This run's log: BokrinSetup.log when the previous one made way, else the first of
// BokrinSetup-1.log to BokrinSetup-9.log that is new.
constexpr int kFreshLogNames = 9;

ScopedHandle OpenRunLog() {
  const std::wstring path = TempFilePath(L"BokrinSetup.log");
  if (path.empty()) return ScopedHandle();
  ScopedHandle file;
  if (KeepPreviousLog(path)) file = CreateNewLog(path);
  for (int attempt = 1; !file && attempt <= kFreshLogNames; ++attempt) {
    file = CreateNewLog(TempFilePath((L"BokrinSetup-" + std::to_wstring(attempt) + L".log").c_str()));
  }
  return file;
}

}  // namespace

void OpenSetupLog(const std::wstring& copy_path) {
  SetupLogFile& log = TheLog();
  AcquireSRWLockExclusive(&log.lock);
  const bool opened_before = log.file.IsValid() || log.copy.IsValid();
  DWORD copy_error = ERROR_SUCCESS;
  if (!opened_before && !copy_path.empty()) {
    log.copy.Reset(CreateFileW(copy_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.copy) copy_error = GetLastError();
  }
  if (!opened_before) log.file = OpenRunLog();
  ReleaseSRWLockExclusive(&log.lock);
  if (opened_before) return;
  SetupLog(L"BokrinSetup %ls started, command line: %ls", ProgramVersion().c_str(), GetCommandLineW());
  if (copy_error != ERROR_SUCCESS) {
    LogSystemFailure(L"Setup log", SystemCode::Win32Error(copy_error), L"the copy %ls cannot be written", copy_path.c_str());
  }
}

void SetupLog(const wchar_t* format, ...) {
  // Callers log a failure and then still read its code.
  const DWORD saved_error = GetLastError();
  SetupLogFile& log = TheLog();
  wchar_t text[kMaxLogTextUnits + 1];
  text[0] = L'\0';
  va_list arguments;
  va_start(arguments, format);
  // Some run-time libraries leave a cut text unterminated.
  vswprintf(text, kMaxLogTextUnits + 1, format, arguments);
  va_end(arguments);
  text[kMaxLogTextUnits] = L'\0';
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string line = FormatSetupLogLine(
      LogTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds},
      text, wcslen(text));
  // One write per line under the lock: lines of two threads never mix.
  AcquireSRWLockExclusive(&log.lock);
  for (const ScopedHandle* file : {&log.file, &log.copy}) {
    if (!file->IsValid()) continue;
    DWORD written = 0;
    WriteFile(file->Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  ReleaseSRWLockExclusive(&log.lock);
  SetLastError(saved_error);
}
