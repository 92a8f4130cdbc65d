#include "wizard/progress_badge.h"

#include <gtest/gtest.h>

#include "skinui/core/testing/print_geometry.h"

namespace {

using SkinUI::DpiScale;
using SkinUI::UiRect;

struct BadgeCase {
  int32_t value;
  int32_t scale;
  UiRect expected;
  const char16_t* text;
};

class ProgressBadgeTest : public testing::TestWithParam<BadgeCase> {};

// The installing page's slider: 720 wide at 40,470 (100 %), 1440 wide at 80,940 (200 %).
UiRect SliderAt(int32_t scale) {
  return scale == 100 ? UiRect{40, 470, 760, 476} : UiRect{80, 940, 1520, 952};
}

TEST_P(ProgressBadgeTest, StandsOverTheEndOfTheFilledPart) {
  const BadgeCase& c = GetParam();
  EXPECT_EQ(ProgressBadgeRect(SliderAt(c.scale), c.value, DpiScale(c.scale)), c.expected);
  const WString text = ProgressPercentText(c.value);
  EXPECT_EQ(std::u16string(text.begin(), text.end()), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProgressBadgeTest,
    testing::Values(BadgeCase{0, 100, {15, 445, 65, 468}, u"0%"},
                    // 720 x 995 / 1000 = 716.4, truncated to 716.
                    BadgeCase{995, 100, {731, 445, 781, 468}, u"99%"},
                    BadgeCase{1000, 100, {735, 445, 785, 468}, u"100%"},
                    BadgeCase{500, 200, {750, 890, 850, 936}, u"50%"}));

}  // namespace
