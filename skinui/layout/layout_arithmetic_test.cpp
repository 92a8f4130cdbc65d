#include "skinui/layout/layout_arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "skinui/core/testing/print_geometry.h"

namespace SkinUI {

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// Children as a skin writes them.
LayoutChild Stretch() { return LayoutChild{}; }

LayoutChild Sized(int32_t width, int32_t height) {
  LayoutChild child;
  child.SetWidth(width);
  child.SetHeight(height);
  return child;
}

LayoutChild Padded(LayoutChild child, const UiRect& padding) {
  child.padding = padding;
  return child;
}

LayoutChild Limited(LayoutChild child, const UiSize& min, const UiSize& max) {
  child.min_size = min;
  child.max_size = max;
  return child;
}

LayoutChild Hidden(LayoutChild child) {
  child.visible = false;
  return child;
}

LayoutChild Floating(LayoutChild child, const UiRect& pos) {
  child.floating = true;
  child.SetPos(pos);
  return child;
}

// A label whose font is 16 pixels high measures 24.
LayoutChild Label() {
  LayoutChild child;
  child.content_size = LabelContentSize(16, 90, false, {}, DpiScale());
  return child;
}

enum class Kind { kVertical, kHorizontal, kContainer, kTab };

struct LayoutCase {
  const char* what;
  Kind kind;
  UiRect rect;
  UiRect inset;
  int32_t percent;
  std::vector<LayoutChild> children;
  ChildRects placed;
  int32_t selected = 0;  // tab layouts only
};

ChildRects Lay(const LayoutCase& c) {
  const DpiScale scale(c.percent);
  switch (c.kind) {
    case Kind::kVertical:
      return LayoutVertical(c.rect, c.inset, scale, c.children);
    case Kind::kHorizontal:
      return LayoutHorizontal(c.rect, c.inset, scale, c.children);
    case Kind::kContainer:
      return LayoutContainer(c.rect, c.inset, scale, c.children);
    case Kind::kTab:
      return LayoutTab(c.rect, c.inset, scale, c.children, c.selected);
  }
  return {};
}

class LayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTest, PlacesEachChild) {
  EXPECT_EQ(Lay(GetParam()), GetParam().placed) << GetParam().what;
}

constexpr UiRect kNoInset{0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Flow, LayoutTest,
    testing::Values(
        LayoutCase{"the last stretch child takes the rounding leftover",
                   Kind::kHorizontal, {0, 0, 800, 69}, kNoInset, 100,
                   {Stretch(), Sized(219, 0), Stretch()},
                   {UiRect{0, 0, 290, 69}, UiRect{290, 0, 509, 69}, UiRect{509, 0, 800, 69}}},
        LayoutCase{"a label without height is one text line high, not stretched",
                   Kind::kVertical, {0, 0, 800, 550}, kNoInset, 100,
                   {Label(), Stretch()},
                   {UiRect{0, 0, 800, 24}, UiRect{0, 24, 800, 550}}},
        LayoutCase{"a negative top padding overlaps the lowest part of the predecessor",
                   Kind::kVertical, {0, 0, 4000, 550}, {1, 1, 1, 1}, 100,
                   {Sized(4000, 550), Padded(Sized(800, 0), {0, -120, 0, 0})},
                   {UiRect{1, 1, 3999, 551}, UiRect{1, 431, 801, 549}}},
        LayoutCase{"a fixed width wider than the layout is kept: the picture strip",
                   Kind::kHorizontal, {1, 1, 3999, 551}, kNoInset, 100,
                   {Sized(800, 0), Sized(800, 0), Sized(800, 0), Sized(800, 0), Sized(800, 0)},
                   {UiRect{1, 1, 801, 551}, UiRect{801, 1, 1601, 551}, UiRect{1601, 1, 2401, 551},
                    UiRect{2401, 1, 3201, 551}, UiRect{3201, 1, 4001, 551}}},
        LayoutCase{"a negative left padding overlaps the right end of the predecessor",
                   Kind::kHorizontal, {96, 289, 800, 331}, kNoInset, 100,
                   {Sized(120, 0), Padded(Sized(400, 41), {20, 0, 0, 0}), Padded(Sized(80, 38), {-82, 1, 0, 0})},
                   {UiRect{96, 289, 216, 331}, UiRect{236, 289, 636, 330}, UiRect{554, 290, 634, 328}}},
        LayoutCase{"the message box at 100 percent",
                   Kind::kVertical, {0, 0, 380, 180}, {1, 1, 1, 1}, 100,
                   {Sized(0, 30), Stretch(), Padded(Sized(0, 1), {10, 0, 10, 0}), Sized(0, 10), Sized(0, 32),
                    Sized(0, 10)},
                   {UiRect{1, 1, 379, 31}, UiRect{1, 31, 379, 126}, UiRect{11, 126, 369, 127},
                    UiRect{1, 127, 379, 137}, UiRect{1, 137, 379, 169}, UiRect{1, 169, 379, 179}}},
        LayoutCase{"the message box at 200 percent: sizes, paddings and the inset double",
                   Kind::kVertical, {0, 0, 760, 360}, {1, 1, 1, 1}, 200,
                   {Sized(0, 30), Stretch(), Padded(Sized(0, 1), {10, 0, 10, 0}), Sized(0, 10), Sized(0, 32),
                    Sized(0, 10)},
                   {UiRect{2, 2, 758, 62}, UiRect{2, 62, 758, 252}, UiRect{22, 252, 738, 254},
                    UiRect{2, 254, 758, 274}, UiRect{2, 274, 758, 338}, UiRect{2, 338, 758, 358}}},
        LayoutCase{"paddings and fixed sizes are scaled, measured content is not",
                   Kind::kHorizontal, {0, 0, 1000, 100}, kNoInset, 300,
                   {Padded(Sized(10, 0), {5, 0, 0, 0}), [] {
                      LayoutChild text;
                      text.content_size = {100, 0};
                      return text;
                    }(),
                    Stretch()},
                   {UiRect{15, 0, 45, 100}, UiRect{45, 0, 145, 100}, UiRect{145, 0, 1000, 100}}},
        LayoutCase{"the remainder allows for a stretch child held back by its maximum",
                   Kind::kVertical, {0, 0, 50, 100}, kNoInset, 100,
                   {Limited(Stretch(), {0, 0}, {9999, 20}), Stretch()},
                   {UiRect{0, 0, 50, 20}, UiRect{0, 20, 50, 100}}},
        LayoutCase{"fixed lengths are clamped to minimum and maximum; the minimum wins",
                   Kind::kVertical, {0, 0, 50, 100}, kNoInset, 100,
                   {Limited(Sized(0, 50), {0, 0}, {9999, 30}), Limited(Sized(0, 10), {0, 40}, {9999, 20}),
                    Limited(Sized(0, 10), {0, 0}, {0, 0}), Stretch()},
                   {UiRect{0, 0, 50, 30}, UiRect{0, 30, 50, 70}, UiRect{0, 70, 50, 70}, UiRect{0, 70, 50, 100}}},
        LayoutCase{"stretch children get nothing when the fixed ones overfill",
                   Kind::kVertical, {0, 0, 50, 100}, kNoInset, 100,
                   {Stretch(), Sized(0, 150), Stretch()},
                   {UiRect{0, 0, 50, 0}, UiRect{0, 0, 50, 150}, UiRect{0, 150, 50, 150}}},
        LayoutCase{"the last stretch child leaves room for the paddings after it",
                   Kind::kVertical, {0, 0, 50, 100}, kNoInset, 100,
                   {Padded(Stretch(), {0, 5, 0, 5}), Padded(Sized(0, 20), {0, 0, 0, 10})},
                   {UiRect{0, 5, 50, 65}, UiRect{0, 70, 50, 90}}},
        LayoutCase{"across: fixed capped to the room less paddings, else full, at least the minimum",
                   Kind::kVertical, {0, 0, 800, 100}, kNoInset, 100,
                   {Padded(Sized(900, 10), {10, 0, 10, 0}), Sized(100, 10), Limited(Sized(0, 10), {900, 0}, {9999, 9999}),
                    Padded(Sized(0, 10), {30, 0, 20, 0})},
                   {UiRect{10, 0, 790, 10}, UiRect{0, 10, 100, 20}, UiRect{0, 20, 900, 30}, UiRect{30, 30, 780, 40}}},
        LayoutCase{"a horizontal child's height: fixed capped, else full, top padding applied",
                   Kind::kHorizontal, {0, 0, 300, 69}, kNoInset, 100,
                   {Padded(Sized(200, 50), {8, 5, 0, 0}), Padded(Sized(50, 100), {0, 4, 0, 5})},
                   {UiRect{8, 5, 208, 55}, UiRect{208, 4, 258, 64}}},
        LayoutCase{"an invisible child takes no space and is not placed",
                   Kind::kHorizontal, {0, 0, 300, 10}, kNoInset, 100,
                   {Sized(100, 0), Hidden(Sized(100, 0)), Stretch()},
                   {UiRect{0, 0, 100, 10}, std::nullopt, UiRect{100, 0, 300, 10}}},
        LayoutCase{"an inset larger than the layout leaves nothing, and no negative size",
                   Kind::kHorizontal, {0, 0, 10, 10}, {8, 8, 8, 8}, 100,
                   {Stretch(), Stretch()},
                   {UiRect{8, 8, 8, 8}, UiRect{8, 8, 8, 8}}}));

INSTANTIATE_TEST_SUITE_P(
    Floating, LayoutTest,
    testing::Values(
        LayoutCase{"the percent badge sits at its pos in the parent's own rectangle, before the inset",
                   Kind::kVertical, {100, 200, 900, 320}, {1, 1, 1, 1}, 100,
                   {Floating(Sized(50, 23), {15, 50, 65, 74}), Stretch()},
                   {UiRect{115, 250, 165, 274}, UiRect{101, 201, 899, 319}}},
        LayoutCase{"the top bar lies over the tab layout, 800 by 25 at (0, 20)",
                   Kind::kVertical, {0, 0, 800, 550}, kNoInset, 100,
                   {Stretch(), Floating(Sized(0, 25), {0, 20, 800, 0})},
                   {UiRect{0, 0, 800, 550}, UiRect{0, 20, 800, 45}}},
        LayoutCase{"position and size of a floating child are scaled",
                   Kind::kHorizontal, {0, 0, 1600, 1100}, {1, 1, 1, 1}, 200,
                   {Floating(Sized(50, 23), {15, 50, 65, 74})},
                   {UiRect{30, 100, 130, 148}}},
        LayoutCase{"a negative pos left and top give its right and bottom as the offsets",
                   Kind::kHorizontal, {100, 0, 900, 550}, kNoInset, 100,
                   {Floating(Stretch(), {-60, -40, -10, -8})},
                   {UiRect{90, -8, 140, 24}}},
        LayoutCase{"an invisible floating child is not placed",
                   Kind::kVertical, {0, 0, 800, 550}, kNoInset, 100,
                   {Hidden(Floating(Stretch(), {0, 20, 800, 45}))},
                   {std::nullopt}},
        LayoutCase{"a container places floating children the same way",
                   Kind::kContainer, {10, 10, 810, 560}, {3, 3, 3, 3}, 100,
                   {Floating(Stretch(), {0, 20, 800, 45})},
                   {UiRect{10, 30, 810, 55}}}));

INSTANTIATE_TEST_SUITE_P(
    ContainerAndTab, LayoutTest,
    testing::Values(
        LayoutCase{"a container lays every child over its inner rectangle; the inset is not scaled",
                   Kind::kContainer, {0, 0, 1600, 1100}, {1, 1, 1, 1}, 200,
                   {Sized(800, 550), Padded(Stretch(), {10, 10, 10, 10}), Hidden(Stretch()),
                    Limited(Stretch(), {0, 0}, {300, 200}), Limited(Stretch(), {1000, 0}, {9999, 9999})},
                   {UiRect{1, 1, 1599, 1099}, UiRect{1, 1, 1599, 1099}, std::nullopt, UiRect{1, 1, 601, 401},
                    UiRect{1, 1, 2001, 1099}}},
        LayoutCase{"a container whose inset exceeds it gives empty children",
                   Kind::kContainer, {0, 0, 10, 10}, {20, 0, 0, 20}, 100,
                   {Stretch()},
                   {UiRect{20, 0, 20, 0}}},
        LayoutCase{"a tab layout shows the selected page only",
                   Kind::kTab, {0, 0, 800, 550}, kNoInset, 100,
                   {Stretch(), Stretch(), Stretch(), Stretch()},
                   {UiRect{0, 0, 800, 550}, std::nullopt, std::nullopt, std::nullopt},
                   0},
        LayoutCase{"the selected page fills the unscaled inset less its scaled padding, whatever it says of itself",
                   Kind::kTab, {0, 0, 1600, 1100}, {2, 2, 2, 2}, 200,
                   {Stretch(), Hidden(Padded(Stretch(), {5, 5, 5, 5}))},
                   {std::nullopt, UiRect{12, 12, 1588, 1088}},
                   1},
        LayoutCase{"a fixed size is taken along its own axis",
                   Kind::kTab, {0, 0, 1600, 1100}, kNoInset, 200,
                   {Padded(Sized(300, 0), {5, 5, 5, 5})},
                   {UiRect{10, 10, 610, 1090}},
                   0},
        LayoutCase{"a selection past the end shows nothing",
                   Kind::kTab, {0, 0, 800, 550}, kNoInset, 100,
                   {Stretch(), Stretch()},
                   {std::nullopt, std::nullopt},
                   2},
        LayoutCase{"no selection shows nothing",
                   Kind::kTab, {0, 0, 800, 550}, kNoInset, 100,
                   {Stretch()},
                   {std::nullopt},
                   -1}));

// Hostile declarations: the largest sizes and paddings at the largest scale, in great numbers, in
// the largest rectangle. Nothing overflows (the sanitizer build checks that), every rectangle
// stays within the layout limit and none has a negative size.
struct HostileCase {
  Kind kind;
  LayoutChild child;
};

class LayoutHostileTest : public testing::TestWithParam<HostileCase> {};

LayoutChild Huge(LayoutChild child) {
  child.padding = {kMax, kMin, kMax, kMin};
  child.min_size = {kMax, kMax};
  child.max_size = {kMax, kMax};
  child.content_size = {kMax, kMax};
  child.fixed_x = kMin;
  child.fixed_y = kMax;
  return child;
}

TEST_P(LayoutHostileTest, StaysWithinTheLimitWithoutNegativeSizes) {
  const std::vector<LayoutChild> children(20000, GetParam().child);
  const UiRect rects[] = {{kMin, kMin, kMax, kMax}, {kMax, kMax, kMin, kMin}, {0, 0, 800, 550}};
  for (const UiRect& rect : rects) {
    LayoutCase c{"", GetParam().kind, rect, {kMax, kMin, kMin, kMax}, kMax, children, {}, 7};
    const ChildRects placed = Lay(c);
    ASSERT_EQ(placed.size(), children.size());
    for (const std::optional<UiRect>& r : placed) {
      if (!r) {
        continue;
      }
      for (int32_t edge : {r->left, r->top, r->right, r->bottom}) {
        ASSERT_GE(edge, -kLayoutLimit);
        ASSERT_LE(edge, kLayoutLimit);
      }
      ASSERT_GE(r->Width(), 0);
      ASSERT_GE(r->Height(), 0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Extremes, LayoutHostileTest,
    testing::Values(HostileCase{Kind::kVertical, Huge(Sized(kMax, kMax))},
                    HostileCase{Kind::kHorizontal, Huge(Sized(kMax, kMax))},
                    HostileCase{Kind::kVertical, Huge(Stretch())},
                    HostileCase{Kind::kHorizontal, Huge(Limited(Stretch(), {0, 0}, {kMax, kMax}))},
                    HostileCase{Kind::kVertical, Huge(Floating(Stretch(), {kMin, kMin, kMax, kMax}))},
                    HostileCase{Kind::kContainer, Huge(Stretch())},
                    HostileCase{Kind::kTab, Huge(Sized(kMax, kMax))},
                    HostileCase{Kind::kTab, Huge(Stretch())}));

}  // namespace
}  // namespace SkinUI
