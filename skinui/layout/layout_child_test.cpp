#include "skinui/layout/layout_child.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace SkinUI {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// One size or position attribute with its value already parsed.
struct Attribute {
  enum Name { kWidth, kHeight, kPos } name;
  UiRect value;  // the number in `left` for width and height
};

Attribute Width(int32_t width) { return {Attribute::kWidth, {width, 0, 0, 0}}; }
Attribute Height(int32_t height) { return {Attribute::kHeight, {height, 0, 0, 0}}; }
Attribute Pos(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  return {Attribute::kPos, {left, top, right, bottom}};
}

struct AttributeCase {
  const char* what;
  std::vector<Attribute> attributes;  // in document order
  UiSize fixed_size;
  int32_t fixed_x;
  int32_t fixed_y;
};

class LayoutChildAttributesTest : public testing::TestWithParam<AttributeCase> {};

TEST_P(LayoutChildAttributesTest, LaterAttributesOverrideEarlierOnes) {
  const AttributeCase& c = GetParam();
  LayoutChild child;
  for (const Attribute& attribute : c.attributes) {
    switch (attribute.name) {
      case Attribute::kWidth:
        child.SetWidth(attribute.value.left);
        break;
      case Attribute::kHeight:
        child.SetHeight(attribute.value.left);
        break;
      case Attribute::kPos:
        child.SetPos(attribute.value);
        break;
    }
  }
  EXPECT_EQ(child.fixed_size, c.fixed_size) << c.what << ": " << child.fixed_size.cx << "x" << child.fixed_size.cy;
  EXPECT_EQ(child.fixed_x, c.fixed_x) << c.what;
  EXPECT_EQ(child.fixed_y, c.fixed_y) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Orders, LayoutChildAttributesTest,
    testing::Values(
        AttributeCase{"the percent badge: pos after height sets the height again",
                      {Height(23), Width(50), Pos(15, 50, 65, 74)}, {50, 24}, 15, 50},
        AttributeCase{"the top bar: the negative height from pos is ignored",
                      {Height(25), Pos(0, 20, 800, 0)}, {800, 25}, 0, 20},
        AttributeCase{"width after pos overrides it", {Pos(0, 0, 100, 100), Width(40)}, {40, 100}, 0, 0},
        AttributeCase{"a negative width or height is ignored",
                      {Width(50), Height(20), Width(-1), Height(-30)}, {50, 20}, 0, 0},
        AttributeCase{"0 unfixes", {Width(50), Width(0)}, {0, 0}, 0, 0},
        AttributeCase{"a negative left takes the right edge as x", {Pos(-60, 10, -10, 30)}, {50, 20}, -10, 10},
        AttributeCase{"a negative top takes the bottom edge as y", {Pos(5, -40, 25, -8)}, {20, 32}, 5, -8},
        AttributeCase{"a pos with both sizes negative keeps both earlier sizes",
                      {Width(30), Height(25), Pos(10, 10, 0, 0)}, {30, 25}, 10, 10},
        AttributeCase{"a size beyond 32 bits stops at the layout limit", {Pos(kMin, kMin, kMax, kMax)},
                      {kLayoutLimit, kLayoutLimit}, kMax, kMax},
        AttributeCase{"the most negative size is ignored", {Width(7), Pos(kMax, 0, kMin, 0)}, {7, 0}, kMax, 0}));

struct LabelCase {
  const char* what;
  int32_t font_height;
  int32_t text_width;
  bool autocalcwidth;
  UiRect text_padding;
  int32_t percent;
  UiSize size;
};

class LabelContentSizeTest : public testing::TestWithParam<LabelCase> {};

TEST_P(LabelContentSizeTest, IsOneLineHighAndStretchesUnlessAutocalc) {
  const LabelCase& c = GetParam();
  const UiSize size =
      LabelContentSize(c.font_height, c.text_width, c.autocalcwidth, c.text_padding, DpiScale(c.percent));
  EXPECT_EQ(size, c.size) << c.what << ": " << size.cx << "x" << size.cy;
}

INSTANTIATE_TEST_SUITE_P(
    Labels, LabelContentSizeTest,
    testing::Values(
        LabelCase{"font height + 8", 16, 300, false, {}, 100, {0, 24}},
        LabelCase{"plus the scaled vertical text padding", 16, 300, false, {0, 0, 0, 6}, 100, {0, 30}},
        LabelCase{"at 200 percent the padding doubles, the 8 stays", 32, 300, false, {0, 0, 0, 6}, 200, {0, 52}},
        LabelCase{"autocalcwidth: the text plus the scaled side paddings", 16, 120, true, {5, 0, 85, 0}, 100,
                  {210, 24}},
        LabelCase{"the measured text width is pixels already", 32, 120, true, {5, 0, 85, 0}, 200, {300, 40}},
        LabelCase{"hostile values stop at the layout limit", kMax, kMax, true, {kMax, kMax, kMax, kMax}, 400,
                  {kLayoutLimit, kLayoutLimit}}));

}  // namespace
}  // namespace SkinUI
