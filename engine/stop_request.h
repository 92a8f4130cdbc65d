#pragma once
// The user's confirmed cancel, passed from the wizard's thread to the engine's. The engine looks
// at it between reads of the download and between entries of the extraction, and then undoes
// what it wrote.
#include <atomic>

class StopRequest {
 public:
  void Request() { requested_.store(true); }
  bool Requested() const { return requested_.load(); }

 private:
  std::atomic<bool> requested_{false};
};
