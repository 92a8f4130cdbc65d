#include "httpport/client/network_limits.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// One read: when it ended and how many bytes it brought, and what the watch must answer.
struct Read {
  uint64_t at_ms;
  uint32_t bytes;
  TransferWatch::Verdict verdict;
};

struct WatchCase {
  const char* name;
  uint64_t deadline_ms;
  uint32_t window_ms;
  uint32_t minimum_bytes;
  std::vector<Read> reads;
};

class TransferWatchTest : public testing::TestWithParam<WatchCase> {};

TEST_P(TransferWatchTest, JudgesEachRead) {
  const WatchCase& c = GetParam();
  TransferWatch watch(1000, c.deadline_ms, c.window_ms, c.minimum_bytes);
  for (const Read& read : c.reads) {
    EXPECT_EQ(watch.Update(read.at_ms, read.bytes), read.verdict) << "read at " << read.at_ms;
  }
}

using V = TransferWatch;
INSTANTIATE_TEST_SUITE_P(
    Transfers, TransferWatchTest,
    testing::Values(
        WatchCase{"NoLimits", 0, 0, 0, {{5000, 1, V::kGoOn}, {9000000, 1, V::kGoOn}}},
        WatchCase{"BeforeTheDeadline", 61000, 0, 0, {{60999, 1, V::kGoOn}}},
        WatchCase{"AtTheDeadline", 61000, 0, 0, {{30000, 1, V::kGoOn}, {61000, 1, V::kDeadlinePassed}}},
        // A byte every 12 s is far too little for a window of a minute.
        WatchCase{"Trickle", 0, 60000, 16384,
                  {{13000, 1, V::kGoOn}, {25000, 1, V::kGoOn}, {49000, 1, V::kGoOn},
                   {61000, 1, V::kStalled}}},
        WatchCase{"EnoughPerWindow", 0, 60000, 16384,
                  {{30000, 16000, V::kGoOn}, {61000, 384, V::kGoOn}, {100000, 16384, V::kGoOn},
                   {121000, 0, V::kGoOn}}},
        // Each window counts on its own: a fast start does not pay for a later stall.
        WatchCase{"StallAfterAFastStart", 0, 60000, 16384,
                  {{2000, 1000000, V::kGoOn}, {61000, 0, V::kGoOn}, {90000, 100, V::kGoOn},
                   {121000, 100, V::kStalled}}},
        WatchCase{"DeadlineBeforeStall", 31000, 60000, 16384, {{31000, 0, V::kDeadlinePassed}}}),
    [](const testing::TestParamInfo<WatchCase>& info) { return std::string(info.param.name); });

TEST(TransferWatchTest, TimeLeftIsCappedByTheLimitAndTheDeadline) {
  const TransferWatch unbounded(1000, 0, 0, 0);
  EXPECT_EQ(unbounded.TimeLeft(50000, 30000), 30000u);
  const TransferWatch bounded(1000, 121000, 0, 0);
  EXPECT_EQ(bounded.TimeLeft(1000, 30000), 30000u);
  EXPECT_EQ(bounded.TimeLeft(100000, 30000), 21000u);
  EXPECT_EQ(bounded.TimeLeft(121000, 30000), 0u);
  EXPECT_EQ(bounded.TimeLeft(200000, 30000), 0u);
}

// Null clears the variable (an empty value counts as unset under Windows).
void SetDivisor(const char* value) {
#ifdef _WIN32
  _putenv_s("BOKRIN_TEST_TIME_DIVISOR", value ? value : "");
#else
  if (value) {
    setenv("BOKRIN_TEST_TIME_DIVISOR", value, 1);
  } else {
    unsetenv("BOKRIN_TEST_TIME_DIVISOR");
  }
#endif
}

struct DivisorCase {
  const char* value;
  uint32_t connect_ms;
  uint32_t version_query_ms;
};

TEST(NetworkLimitsTest, TestBuildsDivideEveryTime) {
  const DivisorCase cases[] = {{nullptr, 60000, 120000}, {"10", 6000, 12000},
                               {"1000", 60, 120},        {"0", 60000, 120000},
                               {"1001", 60000, 120000},  {"x", 60000, 120000}};
  for (const DivisorCase& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "unset");
    SetDivisor(c.value);
    const NetworkLimits limits = ConfiguredNetworkLimits();
    EXPECT_EQ(limits.connectMs, c.connect_ms);
    EXPECT_EQ(limits.versionQueryMs, c.version_query_ms);
    EXPECT_EQ(limits.resolveMs, 0u);
    EXPECT_EQ(limits.stallMinimumBytes, 16384u);
  }
  SetDivisor(nullptr);
}

}  // namespace
