#include "engine/download_attempts.h"

NextDownloadAttempt PlanNextDownloadAttempt(int made, uint64_t before, uint64_t after) {
  NextDownloadAttempt next;
  if (made < 1 || made >= kMostDownloadAttempts) return next;
  if (made == 1) {
    next.go = true;
    return next;
  }
  next.go = after >= before && after - before >= kAttemptEarningBytes;
  next.pause_ms = next.go ? 1000u << (made - 2) : 0;
  return next;
}
