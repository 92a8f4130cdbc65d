#pragma once
// For engine tests and engine-run: the engine's reports as lines of text, in the order they
// come: "STATUS <text>", "PROGRESS <value>", "ERROR <mode> <text>", "FINISHED". A narrow status
// is converted from code page 936, as the wizard converts it.
#include <atomic>
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
  // Kept, not printed: the lines are those of the engine's specified reports.
  void OnResult(ExitCode code) override { result_ = static_cast<int>(code); }
  // -1 until the engine has reported it.
  int result() const { return result_; }

 protected:
  // Each line as it comes, on the thread that reports.
  virtual void OnLine(const std::wstring& line) = 0;

 private:
  std::atomic<int> result_{-1};
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
