#pragma once
// Everything that one installation tells the outside: the wizard window (WindowInstallObserver),
// a test, or a run without a window. The engine, the download and the extraction report only
// through this interface.
#include <cstdint>
#include <string>

#include "engine/exit_code.h"

// What the wizard does after showing an error; the values are those of WM_INSTALL_ERROR's wParam.
enum class ErrorMode : uint32_t {
  kStay = 0,         // the installing page stays
  kBackToStart = 2,  // back to the first page, so that the user can start again
  kQuit = 4,         // the installer ends
};

class InstallObserver {
 public:
  virtual ~InstallObserver() = default;

  // `text` lives as long as the process.
  virtual void OnStatus(const wchar_t* text) = 0;
  // A status made at run time, as code page 936 bytes.
  virtual void OnNarrowStatus(const std::string& text) = 0;
  // On the installing page's progress scale, 0 to kProgressScale (common/progress_scale.h).
  virtual void OnProgress(int32_t value) = 0;
  // `text` lives as long as the process; one made at run time is kept by KeepForProcess
  // (held_file_text.h).
  virtual void OnError(ErrorMode mode, const wchar_t* text) = 0;
  virtual void OnFinished() = 0;
  // Once, when the installation is over, whatever ended it (a cancel too, which reports nothing
  // else): how it ended, as the installer's exit code tells it.
  virtual void OnResult(ExitCode code) = 0;
};
