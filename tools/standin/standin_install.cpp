#include "tools/standin/standin_install.h"

#include <shellapi.h>

#include <cwchar>

#include "common/product_names.h"
#include "common/registry.h"

namespace {

// The build directory of the stand-in, as this build's Wine sees the host's file system.
std::wstring StandinBuildDir() {
  std::wstring dir = L"Z:";
  for (const char* c = BOKRIN_STANDIN_DIR; *c != '\0'; ++c) dir += *c == '/' ? L'\\' : wchar_t(*c);
  return dir + L"\\";
}

void RemoveTree(const std::wstring& dir) {
  // Double-zero-terminated, as the shell wants it; no trailing backslash.
  std::wstring from = dir.substr(0, dir.size() - 1);
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}

}  // namespace

StandinInstall::StandinInstall(const std::wstring& name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  dir_ = std::wstring(temp) + name + L"\\";
  RemoveTree(dir_);
  const std::wstring source = StandinBuildDir();
  ok_ = CreateDirectoryW(dir_.c_str(), nullptr) &&
        CopyFileW((source + L"Bokrin.exe").c_str(), (dir_ + L"Bokrin.exe").c_str(), FALSE) &&
        CopyFileW((source + L"Uninstall.exe").c_str(), (dir_ + L"Uninstall.exe").c_str(), FALSE);
}

StandinInstall::~StandinInstall() {
  for (const ScopedHandle& process : processes_) {
    TerminateProcess(process.Get(), 0);
    WaitForSingleObject(process.Get(), 5000);
  }
  RemoveTree(dir_);
}

bool StandinInstall::CopyClientAs(const wchar_t* file_name) const {
  return CopyFileW((dir_ + L"Bokrin.exe").c_str(), (dir_ + file_name).c_str(), FALSE) != FALSE;
}

HANDLE StandinInstall::Start(const wchar_t* file_name, const std::wstring& arguments) {
  std::wstring command_line = L"\"" + dir_ + file_name + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      dir_.c_str(), &startup, &started)) {
    return nullptr;
  }
  const ScopedHandle thread(started.hThread);
  processes_.emplace_back(started.hProcess);
  return started.hProcess;
}

std::string StandinInstall::ReadFile(const wchar_t* file_name) const {
  const ScopedHandle file(CreateFileW((dir_ + file_name).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string content;
  if (!file) return content;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
    content.append(buffer, got);
  }
  return content;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  while (!condition()) {
    if (GetTickCount64() >= deadline) return condition();
    Sleep(50);
  }
  return true;
}

DWORD RecordedClientId() {
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, kProductKey);
  return wcstoul(RegReadString(key.Get(), L"BokrinID", REG_SZ).c_str(), nullptr, 10);
}
