#pragma once
// Passes every report on to another observer and writes each error, with its mode, and the
// installation's result to the setup log first, so that support staff read what the user was
// shown whichever stage failed.
#include "engine/install_observer.h"

class ErrorLoggingObserver : public InstallObserver {
 public:
  explicit ErrorLoggingObserver(InstallObserver& next) : m_next(next) {}

  void OnStatus(const wchar_t* text) override { m_next.OnStatus(text); }
  void OnNarrowStatus(const std::string& text) override { m_next.OnNarrowStatus(text); }
  void OnProgress(int32_t value) override { m_next.OnProgress(value); }
  void OnError(ErrorMode mode, const wchar_t* text) override;
  void OnFinished() override { m_next.OnFinished(); }
  void OnResult(ExitCode code) override;

 private:
  InstallObserver& m_next;
};
