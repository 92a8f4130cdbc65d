#pragma once
// For engine tests and engine-run: the engine's reports as lines of text, in the order they
// come: "STATUS <text>", "PROGRESS <value>", "ERROR <mode> <text>", "FINISHED". A narrow status
// is converted from code page 936, as the wizard converts it.
#include <string>
#include <vector>

#include "engine/install_observer.h"

class ReportLineObserver : public InstallObserver {
 public:
  void OnStatus(const wchar_t* text) override;
  void OnNarrowStatus(const std::string& text) override;
  void OnProgress(int32_t value) override;
  void OnError(ErrorMode mode, const wchar_t* text) override;
  void OnFinished() override;

 protected:
  // Each line as it comes, on the thread that reports.
  virtual void OnLine(const std::wstring& line) = 0;
};

// Keeps the lines; read them once the engine has returned.
class RecordingObserver : public ReportLineObserver {
 public:
  const std::vector<std::wstring>& lines() const { return lines_; }

 protected:
  void OnLine(const std::wstring& line) override { lines_.push_back(line); }

 private:
  std::vector<std::wstring> lines_;
};
