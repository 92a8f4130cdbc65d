#pragma once
// How long the HTTPS requests may take. The platform's time-outs are set to the values WinHTTP
// documents as its defaults, because not every WinHTTP applies them by itself. The version
// query has one bound as a whole; a download only fails when it stalls, since a large package
// on a slow line may take long.
#include <cstdint>

struct NetworkLimits {
  uint32_t resolveMs = 0;  // 0: no limit of WinHTTP's own, the system's resolver bounds a lookup
  uint32_t connectMs = 60000;
  uint32_t sendMs = 30000;
  uint32_t receiveMs = 30000;
  uint32_t responseHeadMs = 90000;  // all response headers, however slowly they trickle in
  uint32_t versionQueryMs = 120000;
  // A download fails when fewer than stallMinimumBytes arrive within stallWindowMs.
  uint32_t stallWindowMs = 60000;
  uint32_t stallMinimumBytes = 16384;
};

// The compiled-in limits. Test builds divide every time by BOKRIN_TEST_TIME_DIVISOR (a whole
// number from 1 to 1000) when it is set, so that the time-out probes stay short.
NetworkLimits ConfiguredNetworkLimits();

// Decides between two reads whether a transfer may go on.
class TransferWatch {
 public:
  enum Verdict { kGoOn, kDeadlinePassed, kStalled };

  // `deadline_ms` 0: none. `window_ms` 0: no stall rule.
  TransferWatch(uint64_t now_ms, uint64_t deadline_ms, uint32_t window_ms, uint32_t minimum_bytes);

  // Counts the bytes that just arrived; a window that ends with too few of them is a stall.
  Verdict Update(uint64_t now_ms, uint32_t bytes);
  // The time left before the deadline, at most `limit_ms`; 0 once it has passed.
  uint32_t TimeLeft(uint64_t now_ms, uint32_t limit_ms) const;

 private:
  uint64_t deadline_ms_;
  uint32_t window_ms_;
  uint32_t minimum_bytes_;
  uint64_t window_start_ms_;
  uint64_t window_bytes_ = 0;
};
