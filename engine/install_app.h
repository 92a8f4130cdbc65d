#pragma once
// One installation: the engine that runs on a worker thread and tells an observer everything,
// the wizard window (through posted messages) unless it is given another.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "engine/download_progress.h"
#include "engine/error_logging_observer.h"
#include "engine/install_observer.h"
#include "engine/package_download.h"
#include "engine/rollback_journal.h"
#include "engine/stop_request.h"
#include "identity/md5.h"

class InstallApp {
 public:
  // Reports to the wizard window `hWnd` through a window observer of its own.
  InstallApp(HWND hWnd, const std::wstring& install_path, const std::wstring& book_path);
  // Reports to `observer`, which outlives the engine; there is no window (m_hWnd is null).
  InstallApp(InstallObserver& observer, const std::wstring& install_path, const std::wstring& book_path);
  InstallApp(const InstallApp&) = delete;
  InstallApp& operator=(const InstallApp&) = delete;

  // Ends by telling the observer the installation's result (OnResult), whatever ended it.
  void Run();
  // Bound as the download's progress callback.
  void OnDownloadProgress(int32_t status, uint32_t received, uint32_t total, int32_t error);

  // Where every stage reports; each error is written to the setup log on its way.
  InstallObserver& Observer() { return m_observer; }
  // What the download has shown so far, kept across its attempts.
  DownloadShown Shown() { return DownloadShown{&m_nLastProgress, &m_nLastUnsizedMegabytes}; }
  // Whoever may cancel the installation keeps this; it outlives the engine, which its thread
  // frees when Run returns.
  std::shared_ptr<StopRequest> StopHandle() const { return m_stop; }
  const StopRequest& Stop() const { return *m_stop; }
  // What the extraction writes, kept until the installation has finished.
  RollbackJournal& Journal() { return m_journal; }

  std::wstring m_strInstallPath;
  std::wstring m_strBookPath;
  HWND m_hWnd;
  std::wstring m_strPackagePath;
  int32_t m_nLastProgress = 0;
  // Whole megabytes last reported while a body of unknown size arrives; -1 before the first.
  int64_t m_nLastUnsizedMegabytes = -1;

 private:
  // The stages in order; each early return tells how the installation ended.
  ExitCode Install();

  // Set only by the window constructor: the observer that posts to m_hWnd.
  std::unique_ptr<InstallObserver> m_windowObserver;
  ErrorLoggingObserver m_observer;
  std::shared_ptr<StopRequest> m_stop = std::make_shared<StopRequest>();
  RollbackJournal m_journal;
};

// The download and the extraction, reporting through the engine's observer, stopping when the
// installation is cancelled, and the extraction writing through the engine's journal.
DownloadOutcome DownloadPackage(InstallApp* engine, std::string url, std::string package_path, int64_t release_size,
                                std::wstring* used_path, Md5Digest* digest);
ExitCode ExtractPackage(InstallApp* engine, const std::wstring& package_path, const std::wstring& install_dir,
                    const Md5Digest& downloaded);

// The engine thread's procedure: runs the installation, frees the engine and returns 0.
unsigned __stdcall InstallThreadProc(void* install_app);
