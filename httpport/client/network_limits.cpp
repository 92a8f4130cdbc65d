#include "httpport/client/network_limits.h"

#include <cstdlib>
#include <initializer_list>

NetworkLimits ConfiguredNetworkLimits() {
  NetworkLimits limits;
#ifdef BOKRIN_TEST_BUILD
  const char* text = std::getenv("BOKRIN_TEST_TIME_DIVISOR");
  const long divisor = text != nullptr ? std::strtol(text, nullptr, 10) : 1;
  if (divisor > 1 && divisor <= 1000) {
    for (uint32_t* ms : {&limits.resolveMs, &limits.connectMs, &limits.sendMs, &limits.receiveMs,
                         &limits.responseHeadMs, &limits.versionQueryMs, &limits.stallWindowMs}) {
      *ms /= static_cast<uint32_t>(divisor);
    }
  }
#endif
  return limits;
}

TransferWatch::TransferWatch(uint64_t now_ms, uint64_t deadline_ms, uint32_t window_ms,
                             uint32_t minimum_bytes)
    : deadline_ms_(deadline_ms),
      window_ms_(window_ms),
      minimum_bytes_(minimum_bytes),
      window_start_ms_(now_ms) {}

TransferWatch::Verdict TransferWatch::Update(uint64_t now_ms, uint32_t bytes) {
  if (deadline_ms_ != 0 && now_ms >= deadline_ms_) return kDeadlinePassed;
  window_bytes_ += bytes;
  if (window_ms_ == 0 || now_ms - window_start_ms_ < window_ms_) return kGoOn;
  if (window_bytes_ < minimum_bytes_) return kStalled;
  window_start_ms_ = now_ms;
  window_bytes_ = 0;
  return kGoOn;
}

uint32_t TransferWatch::TimeLeft(uint64_t now_ms, uint32_t limit_ms) const {
  if (deadline_ms_ == 0) return limit_ms;
  if (now_ms >= deadline_ms_) return 0;
  const uint64_t left = deadline_ms_ - now_ms;
  return left < limit_ms ? static_cast<uint32_t>(left) : limit_ms;
}
