#include "wizard/progress_badge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "common/progress_scale.h"
#include "skinui/core/attribute_values.h"
#include "skinui/core/testing/print_geometry.h"
#include "wizard/skin_elements.h"

namespace {

using SkinUI::CSkinMarkup;
using SkinUI::DpiScale;
using SkinUI::UiRect;
using SkinUI::UiSize;

// The installing page as the skin's sources hold it, parsed once.
const CSkinMarkup& ShippedInstallingPage() {
  static const CSkinMarkup page = [] {
    std::ifstream file(BOKRIN_SKIN_DIR "/installingpage.xml", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    CSkinMarkup markup;
    markup.Load(bytes.data(), bytes.size());
    return markup;
  }();
  return page;
}

// The badge's size that the shipped page declares; a page without one fails the calling test.
std::optional<UiSize> ShippedBadgeSize() {
  const CSkinMarkup& page = ShippedInstallingPage();
  EXPECT_NE(page.Root(), nullptr) << "installingpage.xml in " << BOKRIN_SKIN_DIR << ": " << page.ErrorText();
  if (page.Root() == nullptr) return std::nullopt;
  const std::optional<UiSize> size = DeclaredBadgeSize(*page.Root());
  EXPECT_TRUE(size.has_value()) << "installingpage.xml declares no badge size";
  return size;
}

// The installing page's slider: 720 wide at 40,470 (100 %), 1440 wide at 80,940 (200 %).
UiRect SliderAt(int32_t scale) {
  return scale == 100 ? UiRect{40, 470, 760, 476} : UiRect{80, 940, 1520, 952};
}

struct BadgeCase {
  int32_t value;
  int32_t scale;
  UiRect expected;
  const char16_t* text;
};

class ProgressBadgeTest : public testing::TestWithParam<BadgeCase> {};

// The shipped badge: 50 by 23, centred over the end of the filled part, 2 units above the bar.
TEST_P(ProgressBadgeTest, StandsOverTheEndOfTheFilledPart) {
  const BadgeCase& c = GetParam();
  const std::optional<UiSize> badge = ShippedBadgeSize();
  ASSERT_TRUE(badge.has_value());
  EXPECT_EQ(ProgressBadgeRect(SliderAt(c.scale), c.value, *badge, DpiScale(c.scale)), c.expected);
  const WString text = ProgressPercentText(c.value);
  EXPECT_EQ(std::u16string(text.begin(), text.end()), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProgressBadgeTest,
    testing::Values(BadgeCase{0, 100, {15, 445, 65, 468}, u"0%"},
                    // 720 x 995 / 1000 = 716.4, truncated to 716.
                    BadgeCase{995, 100, {731, 445, 781, 468}, u"99%"},
                    BadgeCase{kProgressScale, 100, {735, 445, 785, 468}, u"100%"},
                    BadgeCase{500, 200, {750, 890, 850, 936}, u"50%"}));

struct SizedBadgeCase {
  const char* what;
  UiSize badge;
  UiRect slider;
  int32_t value;
  int32_t scale;
  UiRect expected;
};

class SizedBadgeTest : public testing::TestWithParam<SizedBadgeCase> {};

// Whatever size the skin gives the badge, its bottom stays the scaled 2 units above the bar.
TEST_P(SizedBadgeTest, TakesItsSizeFromTheSkin) {
  const SizedBadgeCase& c = GetParam();
  EXPECT_EQ(ProgressBadgeRect(c.slider, c.value, c.badge, DpiScale(c.scale)), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, SizedBadgeTest,
    testing::Values(SizedBadgeCase{"smaller, at the start", {40, 20}, {40, 470, 760, 476}, 0, 100, {20, 448, 60, 468}},
                    // Half of 41 is 20: the extra unit goes to the right.
                    SizedBadgeCase{"odd width, at the end", {41, 20}, {40, 470, 760, 476}, kProgressScale, 100,
                                   {740, 448, 781, 468}},
                    SizedBadgeCase{"doubled", {40, 20}, {80, 940, 1520, 952}, 500, 200, {760, 896, 840, 936}},
                    // Height and gap scale as one: 25 x 1.25 = 31, where 29 + 3 would make 32.
                    SizedBadgeCase{"125 percent", {46, 23}, {50, 588, 950, 596}, 0, 125, {21, 557, 79, 586}}));

struct DeclaredCase {
  const char* what;
  const char* markup;
  std::optional<UiSize> expected;
};

class DeclaredBadgeSizeTest : public testing::TestWithParam<DeclaredCase> {};

TEST_P(DeclaredBadgeSizeTest, ReadsWidthAndHeightOfTheBadgeBox) {
  const DeclaredCase& c = GetParam();
  CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(c.markup, std::strlen(c.markup))) << markup.ErrorText();
  EXPECT_EQ(DeclaredBadgeSize(*markup.Root()), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Markup, DeclaredBadgeSizeTest,
    testing::Values(
        DeclaredCase{"the pos that spans one unit more does not count",
                     R"(<Window><VerticalLayout>)"
                     R"(<HorizontalLayout name="hor_Pos" height="23" width="50" float="true" pos="15,50,65,74"/>)"
                     R"(</VerticalLayout></Window>)",
                     UiSize{50, 23}},
        DeclaredCase{"the first box in tree order",
                     R"(<Window><VerticalLayout><HorizontalLayout name="hor_Pos" width="30" height="10"/>)"
                     R"(</VerticalLayout><HorizontalLayout name="hor_Pos" width="60" height="20"/></Window>)",
                     UiSize{30, 10}},
        DeclaredCase{"no height", R"(<Window><HorizontalLayout name="hor_Pos" width="50"/></Window>)", std::nullopt},
        DeclaredCase{"no width", R"(<Window><HorizontalLayout name="hor_Pos" height="23"/></Window>)", std::nullopt},
        DeclaredCase{"names compare exactly",
                     R"(<Window><HorizontalLayout name="HOR_POS" width="50" height="23"/></Window>)", std::nullopt}));

TEST(ShippedInstallingPageTest, TheBarRunsOverTheProgressScale) {
  const CSkinMarkup& page = ShippedInstallingPage();
  ASSERT_NE(page.Root(), nullptr) << page.ErrorText();
  const SkinUI::MarkupNode* slider = FindNamedElement(*page.Root(), U16("slider_process"));
  ASSERT_NE(slider, nullptr);
  const WString* max = slider->FindAttribute(U16("max"));
  ASSERT_NE(max, nullptr);
  EXPECT_EQ(SkinUI::ParseInteger(*max), kProgressScale);
}

}  // namespace
