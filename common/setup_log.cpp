#include "common/setup_log.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <string>

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

// Moves the previous run's log aside. Only a plain file is moved: a folder of that name simply
// leaves this run without a log. When the move fails the old log is dropped, since this run's
// log matters more.
void KeepPreviousLog(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  if (!MoveFileExW(path.c_str(), TempFilePath(L"BokrinSetup.old.log").c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(path.c_str());
  }
}

}  // namespace

void OpenSetupLog(const std::wstring& copy_path) {
  const std::wstring path = TempFilePath(L"BokrinSetup.log");
  SetupLogFile& log = TheLog();
  AcquireSRWLockExclusive(&log.lock);
  const bool opened_before = log.file.IsValid() || log.copy.IsValid();
  DWORD copy_error = ERROR_SUCCESS;
  if (!opened_before && !copy_path.empty()) {
    log.copy.Reset(CreateFileW(copy_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.copy) copy_error = GetLastError();
  }
  if (!opened_before && !path.empty()) {
    KeepPreviousLog(path);
    // Only a new file: %TEMP% belongs to the unelevated user, and a link planted under the
    // log's name must not make this elevated process write somewhere else. Readers (a support
    // tool, an editor) may look while the installer still runs.
    log.file.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  }
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
