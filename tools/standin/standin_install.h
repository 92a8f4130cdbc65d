#pragma once
// For tests: a copy of the stand-in client and its uninstaller in a directory of its own, and
// processes started from it. Whatever was started is ended and the directory removed when the
// object goes.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/scoped_handle.h"

class StandinInstall {
 public:
  // Makes %TEMP%\`name`\ (emptied first) holding Bokrin.exe and Uninstall.exe.
  explicit StandinInstall(const std::wstring& name);
  ~StandinInstall();
  StandinInstall(const StandinInstall&) = delete;
  StandinInstall& operator=(const StandinInstall&) = delete;

  // Ends with a backslash.
  const std::wstring& dir() const { return dir_; }
  bool ok() const { return ok_; }

  // Copies the stand-in client under another file name into the directory.
  bool CopyClientAs(const wchar_t* file_name) const;
  // Starts `file_name` of the directory with `arguments`; returns its process (kept owned here
  // too, for the clean-up) or an invalid handle.
  HANDLE Start(const wchar_t* file_name, const std::wstring& arguments);
  // A file beside the stand-in, as bytes; empty when missing.
  std::string ReadFile(const wchar_t* file_name) const;

 private:
  std::wstring dir_;
  bool ok_ = false;
  std::vector<ScopedHandle> processes_;
};

// Polls `condition` until it holds or `timeout_ms` passed; the last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeout_ms = 10000);

// The process id recorded as "BokrinID", or 0.
DWORD RecordedClientId();
