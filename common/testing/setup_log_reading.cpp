#include "common/testing/setup_log_reading.h"

#include <windows.h>

#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/text_convert.h"

std::string ReadSharedFile(const std::wstring& path) {
  const ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string content;
  if (!file) return content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
  return content;
}

std::wstring SetupLogPath() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp, length) + L"BokrinSetup.log";
}

std::vector<std::string> LogLines(const std::string& log) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(log.substr(start, end - start));
  }
  if (start < log.size()) lines.push_back(log.substr(start));
  return lines;
}

bool HasLineEndingWith(const std::string& log, const std::wstring& text) {
  const std::string wanted = WideToCodePage(CP_UTF8, text);
  for (const std::string& line : LogLines(log)) {
    if (line.size() >= wanted.size() && line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0) {
      return true;
    }
  }
  return false;
}

std::wstring SystemMessageOf(unsigned long code) {
  wchar_t buffer[1024];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                                1024, nullptr);
  while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' ')) {
    --length;
  }
  return std::wstring(buffer, length);
}

std::wstring OpenOwnSetupLog(const std::wstring& test_name) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring folder = std::wstring(temp) + test_name + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const wchar_t* name : {L"TMP", L"TEMP"}) SetEnvironmentVariableW(name, folder.c_str());
  OpenSetupLog();
  return folder + L"BokrinSetup.log";
}
