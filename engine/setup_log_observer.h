#pragma once
// The observer of an installation that nobody watches (a silent run): what the wizard would
// show goes to the setup log instead. The errors and the result are already logged by the
// ErrorLoggingObserver in front of every engine's observer; this one adds the statuses and the
// progress, and keeps the result for the caller.
#include <string>

#include "engine/install_observer.h"

class SetupLogObserver : public InstallObserver {
 public:
  void OnStatus(const wchar_t* text) override;
  void OnNarrowStatus(const std::string& text) override;
  void OnProgress(int32_t value) override;
  void OnError(ErrorMode, const wchar_t*) override { LogPendingStatus(); }
  void OnFinished() override { LogPendingStatus(); }
  void OnResult(ExitCode code) override;

  // What the installation ended with; kCancelled until it has ended.
  ExitCode Result() const { return m_result; }

 private:
  void LogPendingStatus();

  // A status made at run time is mostly the download's figures, reported hundreds of times:
  // the log takes the latest with every tenth of the progress scale, which is enough to read a
  // stall from, and any other one before the next report of another kind.
  std::wstring m_narrowStatus;
  bool m_narrowStatusLogged = true;
  int32_t m_loggedTenths = -1;
  ExitCode m_result = ExitCode::kCancelled;
};
