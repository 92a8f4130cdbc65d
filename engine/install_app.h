#pragma once
// One installation: the engine that runs on a worker thread and tells the wizard window
// everything by posted messages.
#include <windows.h>

#include <cstdint>
#include <string>

class InstallApp {
 public:
  InstallApp(HWND hWnd, const std::wstring& install_path, const std::wstring& book_path);

  void Run();
  // Bound as the download's progress callback.
  void OnDownloadProgress(int32_t status, uint32_t received, uint32_t total, int32_t error);

  std::wstring m_strInstallPath;
  std::wstring m_strBookPath;
  HWND m_hWnd;
  std::wstring m_strPackagePath;
  int32_t m_nLastProgress = 0;
  // Whole megabytes last reported while a body of unknown size arrives; -1 before the first.
  int64_t m_nLastUnsizedMegabytes = -1;

 private:
  void Status(const wchar_t* text);
  void Progress(int32_t value);
  void Error(WPARAM mode, const wchar_t* text);
};

// The engine thread's procedure: runs the installation, frees the engine and returns 0.
unsigned __stdcall InstallThreadProc(void* install_app);
