#pragma once
// How many times the package download is tried, and when. The first attempt goes to the host
// by name and the second through an HTTP DNS address, whatever came of the first; a later one
// is earned only by an attempt that brought the file at least kAttemptEarningBytes further,
// so that a line that keeps breaking, but keeps delivering, still gets the package home.
#include <cstdint>

constexpr int kMostDownloadAttempts = 5;
constexpr uint64_t kAttemptEarningBytes = 1048576;

struct NextDownloadAttempt {
  bool go = false;
  uint32_t pause_ms = 0;  // before the attempt starts: 0 for the second, then 1, 2 and 4 seconds
};

// After the failed attempt number `made` (1 for the first), which found `before` bytes in the
// file and left `after`.
NextDownloadAttempt PlanNextDownloadAttempt(int made, uint64_t before, uint64_t after);
