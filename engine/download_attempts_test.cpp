#include "engine/download_attempts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint64_t kMiB = 1048576;

struct AttemptCase {
  const char* name;
  int made;
  uint64_t before;
  uint64_t after;
  bool go;
  uint32_t pause_ms;
};

class DownloadAttemptsTest : public testing::TestWithParam<AttemptCase> {};

TEST_P(DownloadAttemptsTest, ASecondAlwaysThenOnlyWhatAMegabyteMoreEarns) {
  const AttemptCase& c = GetParam();
  const NextDownloadAttempt next = PlanNextDownloadAttempt(c.made, c.before, c.after);
  EXPECT_EQ(next.go, c.go);
  EXPECT_EQ(next.pause_ms, c.pause_ms);
}

INSTANTIATE_TEST_SUITE_P(
    Attempts, DownloadAttemptsTest,
    testing::Values(AttemptCase{"SecondAfterNothing", 1, 0, 0, true, 0},
                    AttemptCase{"SecondAfterMuch", 1, 0, 5 * kMiB, true, 0},
                    AttemptCase{"ThirdEarnedByAMegabyte", 2, 3 * kMiB, 4 * kMiB, true, 1000},
                    AttemptCase{"ThirdNotEarnedByLess", 2, 3 * kMiB, 4 * kMiB - 1, false, 0},
                    AttemptCase{"ThirdNotEarnedByNothing", 2, 0, 0, false, 0},
                    // A second attempt that got a whole new file but fewer bytes than were kept.
                    AttemptCase{"ThirdNotEarnedByAFileThatStartedOver", 2, 3 * kMiB, 2 * kMiB, false, 0},
                    AttemptCase{"FourthAfterTwoSeconds", 3, 1 * kMiB, 2 * kMiB, true, 2000},
                    AttemptCase{"FifthAfterFourSeconds", 4, 2 * kMiB, 9 * kMiB, true, 4000},
                    AttemptCase{"NoSixth", 5, 2 * kMiB, 9 * kMiB, false, 0},
                    AttemptCase{"NoAttemptBeforeTheFirst", 0, 0, 0, false, 0}),
    [](const testing::TestParamInfo<AttemptCase>& info) { return std::string(info.param.name); });

}  // namespace
