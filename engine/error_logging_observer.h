#pragma once
// Passes every report on to another observer and writes each error, with its mode, to the
// setup log first, so that support staff read what the user was shown whichever stage failed.
#include "engine/install_observer.h"

class ErrorLoggingObserver : public InstallObserver {
 public:
  explicit ErrorLoggingObserver(InstallObserver& next) : next_(next) {}

  void OnStatus(const wchar_t* text) override { next_.OnStatus(text); }
  void OnNarrowStatus(const std::string& text) override { next_.OnNarrowStatus(text); }
  void OnProgress(int32_t value) override { next_.OnProgress(value); }
  void OnError(ErrorMode mode, const wchar_t* text) override;
  void OnFinished() override { next_.OnFinished(); }

 private:
  InstallObserver& next_;
};
