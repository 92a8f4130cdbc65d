#pragma once
// The user's confirmed cancel, passed from the wizard's thread to the engine's. The engine looks
// at it between reads of the download and between entries of the extraction, and then undoes
// what it wrote. Until the engine writes to the install directory there is nothing to undo, so
// the one who cancels learns whether it must wait.
#include <atomic>

class StopRequest {
 public:
  // True when the engine is writing to the install directory and must be waited for while it
  // undoes that; false when it has written nothing and will not start, so that the process may
  // end at once.
  bool Request() { return (state_.fetch_or(kStop) & kWriting) != 0; }
  bool Requested() const { return (state_.load() & kStop) != 0; }

  // The engine, before its first write to the install directory: false when the stop came
  // first, and nothing may be written.
  bool BeginWriting() { return (state_.fetch_or(kWriting) & kStop) == 0; }
  // The engine, once what it wrote is kept for good or undone.
  void EndWriting() { state_.fetch_and(~kWriting); }

 private:
  static constexpr unsigned kStop = 1;
  static constexpr unsigned kWriting = 2;
  std::atomic<unsigned> state_{0};
};
