#pragma once
// The wizard window as the engine's observer: each report becomes the posted message of
// install_messages.h. Posting never waits for the wizard.
#include <windows.h>

#include "engine/install_observer.h"

class WindowInstallObserver : public InstallObserver {
 public:
  explicit WindowInstallObserver(HWND window) : window_(window) {}

  void OnStatus(const wchar_t* text) override;
  // Posts a heap copy of `text` that the window frees once it has the message; the copy is
  // freed here when the message cannot be queued.
  void OnNarrowStatus(const std::string& text) override;
  void OnProgress(int32_t value) override;
  void OnError(ErrorMode mode, const wchar_t* text) override;
  void OnFinished() override;
  void OnResult(ExitCode code) override;

 private:
  HWND window_;
};
