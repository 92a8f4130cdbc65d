#include "skinui/core/dpi_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace SkinUI {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct PercentCase {
  int32_t dpi;
  int32_t screen_height;
  int32_t percent;
};

class ScalePercentForDpiTest : public testing::TestWithParam<PercentCase> {};

TEST_P(ScalePercentForDpiTest, StepsAtEachBoundary) {
  EXPECT_EQ(ScalePercentForDpi(GetParam().dpi, GetParam().screen_height), GetParam().percent)
      << GetParam().dpi << " DPI, screen " << GetParam().screen_height;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ScalePercentForDpiTest,
    testing::Values(PercentCase{96, 1080, 100}, PercentCase{120, 1440, 100},
                    PercentCase{143, 2160, 100},
                    // 144 to 239 doubles only on a screen taller than 1080 pixels.
                    PercentCase{144, 1080, 100}, PercentCase{144, 1081, 200},
                    PercentCase{144, 1440, 200}, PercentCase{239, 1440, 200},
                    PercentCase{239, 1080, 100},
                    // From 240 on the screen height no longer matters.
                    PercentCase{240, 768, 300}, PercentCase{335, 768, 300},
                    PercentCase{336, 768, 400}, PercentCase{kMax, 0, 400},
                    PercentCase{0, 1440, 100}, PercentCase{-200, 1440, 100}));

struct ValueCase {
  int32_t percent;
  DpiAwareness awareness;
  bool whole_factor;
  int32_t value;
  int32_t scaled;
};

class DpiScaleValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(DpiScaleValueTest, ScalesLikeMulDivWithoutItsMinusOne) {
  const ValueCase& c = GetParam();
  EXPECT_EQ(DpiScale(c.percent, c.awareness).Scale(c.value, c.whole_factor), c.scaled)
      << c.value << " at " << c.percent << "%" << (c.whole_factor ? " whole" : "");
}

constexpr DpiAwareness kAware = DpiAwareness::kPerMonitorAware;

INSTANTIATE_TEST_SUITE_P(
    Values, DpiScaleValueTest,
    testing::Values(ValueCase{100, kAware, false, 23, 23}, ValueCase{200, kAware, false, 23, 46},
                    ValueCase{300, kAware, false, -120, -360},
                    ValueCase{400, kAware, false, 9999, 39996},
                    // Halves round away from zero on both sides.
                    ValueCase{150, kAware, false, 3, 5}, ValueCase{150, kAware, false, -3, -5},
                    ValueCase{125, kAware, false, 2, 3}, ValueCase{125, kAware, false, -2, -3},
                    ValueCase{125, kAware, false, 1, 1}, ValueCase{125, kAware, false, -1, -1},
                    // The whole-factor flag floors the percent to whole hundreds, at least 100.
                    ValueCase{150, kAware, true, 3, 3}, ValueCase{250, kAware, true, 3, 6},
                    ValueCase{399, kAware, true, 7, 21}, ValueCase{50, kAware, true, 7, 7},
                    ValueCase{50, kAware, false, 7, 4},
                    // A system-aware process scales too; an unaware one never.
                    ValueCase{200, DpiAwareness::kSystemAware, false, 7, 14},
                    ValueCase{200, DpiAwareness::kUnaware, false, 7, 7},
                    ValueCase{250, DpiAwareness::kUnaware, true, 7, 7},
                    // Results beyond 32 bits saturate instead of turning into -1.
                    ValueCase{200, kAware, false, kMax, kMax}, ValueCase{200, kAware, false, kMin, kMin},
                    ValueCase{kMax, kAware, false, kMax, kMax}, ValueCase{kMax, kAware, false, -1, -21474836},
                    ValueCase{100, kAware, false, kMin, kMin},
                    // A percent below 1 counts as 1: lengths neither vanish nor change sign.
                    ValueCase{0, kAware, false, 300, 3}, ValueCase{-200, kAware, false, 300, 3}));

struct RectCase {
  int32_t percent;
  bool whole_factor;
  UiRect rect;
  UiRect scaled;
};

class DpiScaleRectTest : public testing::TestWithParam<RectCase> {};

TEST_P(DpiScaleRectTest, ScalesTheCornerAndTheSize) {
  const RectCase& c = GetParam();
  const UiRect scaled = DpiScale(c.percent).Scale(c.rect, c.whole_factor);
  EXPECT_EQ(scaled, c.scaled) << scaled.left << "," << scaled.top << "," << scaled.right << ","
                              << scaled.bottom;
}

INSTANTIATE_TEST_SUITE_P(
    Rects, DpiScaleRectTest,
    testing::Values(RectCase{200, false, {7, 6, 27, 26}, {14, 12, 54, 52}},
                    RectCase{400, false, {0, 95, 800, 645}, {0, 380, 3200, 2580}},
                    // 1.5 x 1 rounds to 2 and 1.5 x 3 to 5: the right edge is 2 + 5, not the
                    // 6 that scaling it on its own would give.
                    RectCase{150, false, {1, 1, 4, 4}, {2, 2, 7, 7}},
                    RectCase{150, false, {-1, -1, 2, 2}, {-2, -2, 3, 3}},
                    RectCase{150, true, {1, 1, 4, 4}, {1, 1, 4, 4}},
                    // An inverted rectangle keeps its (negative) scaled size.
                    RectCase{200, false, {10, 10, 5, 5}, {20, 20, 10, 10}},
                    // The size of the widest rectangle does not overflow; edges saturate.
                    RectCase{200, false, {kMin, kMin, kMax, kMax}, {kMin, kMin, kMax, kMax}},
                    RectCase{300, false, {-10, 0, kMax, 1}, {-30, 0, kMax, 3}}));

TEST(DpiScaleTest, StartsAtOneHundredPercentAndAware) {
  const DpiScale scale;
  EXPECT_EQ(scale.Percent(), 100);
  EXPECT_EQ(scale.Awareness(), DpiAwareness::kPerMonitorAware);
  EXPECT_EQ(scale.Scale(UiRect{15, 50, 65, 74}), (UiRect{15, 50, 65, 74}));
}

TEST(DpiScaleTest, UnawareRectangleStaysAsItIs) {
  const UiRect rect{1, 1, 4, 4};
  EXPECT_EQ(DpiScale(150, DpiAwareness::kUnaware).Scale(rect), rect);
}

}  // namespace
}  // namespace SkinUI
