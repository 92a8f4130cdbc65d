#include "common/setup_log.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <string>

#include "common/scoped_handle.h"

namespace {

SRWLOCK g_log_lock = SRWLOCK_INIT;
// Open for the process's lifetime; closed by the owner when the program ends.
ScopedHandle g_log_file;

std::wstring TempFilePath(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return std::wstring();
  return std::wstring(temp, length) + name;
}

void WriteUtf8(const wchar_t* text, int length) {
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(g_log_file.Get(), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

void OpenSetupLog() {
  const std::wstring path = TempFilePath(L"BokrinSetup.log");
  if (path.empty()) return;
  AcquireSRWLockExclusive(&g_log_lock);
  if (!g_log_file.IsValid()) {
    MoveFileExW(path.c_str(), TempFilePath(L"BokrinSetup.old.log").c_str(), MOVEFILE_REPLACE_EXISTING);
    // Readers (a support tool, an editor) may look while the installer still runs.
    g_log_file.Reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  ReleaseSRWLockExclusive(&g_log_lock);
}

void SetupLog(const wchar_t* format, ...) {
  // Callers log a failure and then still read its code.
  const DWORD saved_error = GetLastError();
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t line[2048];
  int length = swprintf(line, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth,
                        now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  if (length < 0) return SetLastError(saved_error);
  va_list arguments;
  va_start(arguments, format);
  const int room = static_cast<int>(sizeof(line) / sizeof(line[0])) - length - 2;
  int text = vswprintf(line + length, static_cast<size_t>(room) + 1, format, arguments);
  va_end(arguments);
  // An overlong line is cut, not lost.
  if (text < 0) text = static_cast<int>(wcslen(line + length));
  length += text;
  line[length++] = L'\r';
  line[length++] = L'\n';
  AcquireSRWLockExclusive(&g_log_lock);
  if (g_log_file.IsValid()) WriteUtf8(line, length);
  ReleaseSRWLockExclusive(&g_log_lock);
  SetLastError(saved_error);
}
