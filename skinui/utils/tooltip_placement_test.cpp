#include "skinui/utils/tooltip_placement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace SkinUI {
namespace {

struct PlacementCase {
  const char* what;
  int32_t pointer_x;
  int32_t pointer_y;
  UiSize tip;
  UiRect work_area;
  UiRect expected;
};

// A 1920 x 1040 work area (a task bar of 40 pixels below it) unless a case says otherwise; the tip
// goes 20 pixels below the pointer.
constexpr UiRect kWorkArea{0, 0, 1920, 1040};
constexpr int32_t kBelow = 20;

class PlaceToolTipTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlaceToolTipTest, StaysWholeOnTheWorkArea) {
  const PlacementCase& c = GetParam();
  const UiRect placed = PlaceToolTip(c.pointer_x, c.pointer_y, c.tip, kBelow, c.work_area);
  EXPECT_EQ(placed, c.expected) << c.what << ": got " << placed.left << "," << placed.top << "," << placed.right
                                << "," << placed.bottom;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceToolTipTest,
    testing::Values(
        PlacementCase{"in the open, below the pointer", 400, 300, {180, 22}, kWorkArea, {400, 320, 580, 342}},
        PlacementCase{"near the right edge, moved left", 1850, 300, {180, 22}, kWorkArea, {1740, 320, 1920, 342}},
        PlacementCase{"near the bottom edge, above the pointer", 400, 1030, {180, 22}, kWorkArea,
                      {400, 1008, 580, 1030}},
        PlacementCase{"just fits below", 400, 998, {180, 22}, kWorkArea, {400, 1018, 580, 1040}},
        PlacementCase{"in the bottom right corner", 1915, 1035, {180, 22}, kWorkArea, {1740, 1013, 1920, 1035}},
        PlacementCase{"left of a second monitor's work area", -1900, 300, {180, 22}, {-1920, 0, 0, 1080},
                      {-1900, 320, -1720, 342}},
        PlacementCase{"pointer left of the work area", -5, 300, {180, 22}, kWorkArea, {0, 320, 180, 342}},
        PlacementCase{"wider than the work area: its left edge shows", 400, 300, {2500, 22}, kWorkArea,
                      {0, 320, 2500, 342}},
        PlacementCase{"a short work area: its top edge shows", 400, 10, {180, 60}, {0, 0, 1920, 50},
                      {400, 0, 580, 60}},
        PlacementCase{"at the far end of the coordinates",
                      std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), {180, 22},
                      {0, 0, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()},
                      {std::numeric_limits<int32_t>::max() - 180, std::numeric_limits<int32_t>::max() - 22,
                       std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()}}));

}  // namespace
}  // namespace SkinUI
