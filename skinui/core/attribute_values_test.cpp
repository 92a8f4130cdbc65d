#include "skinui/core/attribute_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "skinui/core/testing/print_geometry.h"

namespace {

using SkinUI::HorizontalAlign;
using SkinUI::MarkupAttribute;
using SkinUI::UiRect;
using SkinUI::UiSize;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::string Show(SkinUI::WStringView text) {
  std::string shown;
  for (Utf16Char ch : text) shown += (ch < 0x80) ? static_cast<char>(ch) : '?';
  return shown;
}

TEST(AttributeValuesTest, ParsesIntegers) {
  const std::pair<const Utf16Char*, int32_t> kCases[] = {
      {U16("0"), 0},
      {U16("550"), 550},
      {U16("-120"), -120},
      {U16("+7"), 7},
      {U16("007"), 7},
      {U16("-0"), 0},
      {U16(" 12"), 12},
      {U16("\t-3"), -3},
      // Reading stops at the first character that is no digit.
      {U16("12px"), 12},
      {U16("1 2"), 1},
      {U16("0x10"), 0},
      {U16("px"), 0},
      {U16(""), 0},
      {U16("-"), 0},
      {U16("--1"), 0},
      {U16("- 1"), 0},
      {U16("\u0663"), 0},  // a digit, but not an ASCII one
      // The 32-bit range holds, whatever the text.
      {U16("2147483647"), kMax},
      {U16("2147483648"), kMax},
      {U16("-2147483648"), kMin},
      {U16("-2147483649"), kMin},
      {U16("99999999999999999999999999999999"), kMax},
      {U16("-99999999999999999999999999999999"), kMin},
  };
  for (const auto& [text, value] : kCases) EXPECT_EQ(SkinUI::ParseInteger(text), value) << Show(text);
}

TEST(AttributeValuesTest, ParsesRectanglesAndSizes) {
  const std::pair<const Utf16Char*, UiRect> kRects[] = {
      {U16("0,-120,0,0"), {0, -120, 0, 0}},
      {U16("-82,1,0,0"), {-82, 1, 0, 0}},
      {U16("15,50,65,74"), {15, 50, 65, 74}},
      {U16("0,20,800,0"), {0, 20, 800, 0}},
      {U16(" 1, 2,\t3, 4"), {1, 2, 3, 4}},
      {U16("1,2"), {1, 2, 0, 0}},
      {U16("1,2,3,4,5"), {1, 2, 3, 4}},
      {U16("a,2,,4"), {0, 2, 0, 4}},
      {U16("1;2;3;4"), {1, 0, 0, 0}},
      {U16(""), {0, 0, 0, 0}},
      {U16("9999999999,-9999999999,1,1"), {kMax, kMin, 1, 1}},
  };
  for (const auto& [text, rect] : kRects) EXPECT_EQ(SkinUI::ParseRect(text), rect) << Show(text);

  const std::pair<const Utf16Char*, UiSize> kSizes[] = {
      {U16("800,550"), {800, 550}},
      {U16("380,180"), {380, 180}},
      {U16("0,0"), {0, 0}},
      {U16("7"), {7, 0}},
      {U16("1,2,3"), {1, 2}},
      {U16(",5"), {0, 5}},
  };
  for (const auto& [text, size] : kSizes) EXPECT_EQ(SkinUI::ParseSize(text), size) << Show(text);
}

TEST(AttributeValuesTest, ParsesColours) {
  const std::pair<const Utf16Char*, uint32_t> kCases[] = {
      {U16("#ffe0e0e0"), 0xFFE0E0E0u},
      {U16("FFD8D8D8"), 0xFFD8D8D8u},
      {U16("#FFD8D8D8"), 0xFFD8D8D8u},
      {U16("#Ff272726"), 0xFF272726u},
      {U16("#00000000"), 0u},
      // Six digits have no alpha.
      {U16("#e0e0e0"), 0x00E0E0E0u},
      // Reading stops at the first character that is no hexadecimal digit.
      {U16("#ffe0e0e0zz"), 0xFFE0E0E0u},
      {U16("#ffg0"), 0xFFu},
      {U16("0xff"), 0u},
      {U16("##ff"), 0u},
      {U16(" #ff"), 0u},
      {U16("#"), 0u},
      {U16(""), 0u},
      // More than eight digits clamp.
      {U16("#1ffe0e0e0"), 0xFFFFFFFFu},
      {U16("000000000ff"), 0xFFu},
  };
  for (const auto& [text, colour] : kCases) EXPECT_EQ(SkinUI::ParseColor(text), colour) << Show(text);
}

TEST(AttributeValuesTest, OnlyTrueInAnyCaseIsTrue) {
  const std::pair<const Utf16Char*, bool> kCases[] = {
      {U16("true"), true},   {U16("TRUE"), true},   {U16("True"), true},   {U16("tRuE"), true},
      {U16("false"), false}, {U16("yes"), false},   {U16("1"), false},     {U16(""), false},
      {U16(" true"), false}, {U16("true "), false}, {U16("truee"), false}, {U16("tru"), false},
  };
  for (const auto& [text, value] : kCases) EXPECT_EQ(SkinUI::ParseBool(text), value) << Show(text);
}

TEST(AttributeValuesTest, TheLastAlignmentFoundWins) {
  struct Case {
    const Utf16Char* text;
    HorizontalAlign current;
    HorizontalAlign result;
  };
  const Case kCases[] = {
      {U16("left"), HorizontalAlign::kCenter, HorizontalAlign::kLeft},
      {U16("center"), HorizontalAlign::kLeft, HorizontalAlign::kCenter},
      {U16("right"), HorizontalAlign::kLeft, HorizontalAlign::kRight},
      {U16("right left"), HorizontalAlign::kCenter, HorizontalAlign::kRight},
      {U16("center,left"), HorizontalAlign::kRight, HorizontalAlign::kCenter},
      {U16("leftright"), HorizontalAlign::kCenter, HorizontalAlign::kRight},
      // Nothing named: the alignment stays.
      {U16(""), HorizontalAlign::kCenter, HorizontalAlign::kCenter},
      {U16("top"), HorizontalAlign::kRight, HorizontalAlign::kRight},
      {U16("Left"), HorizontalAlign::kRight, HorizontalAlign::kRight},
  };
  for (const Case& c : kCases) EXPECT_EQ(SkinUI::ParseAlign(c.text, c.current), c.result) << Show(c.text);
}

std::vector<std::pair<WString, WString>> Pairs(const std::vector<MarkupAttribute>& attributes) {
  std::vector<std::pair<WString, WString>> pairs;
  for (const MarkupAttribute& attribute : attributes) pairs.emplace_back(attribute.name, attribute.value);
  return pairs;
}

TEST(AttributeValuesTest, ReadsAttributeListsUpToTheFirstMalformedPair) {
  using List = std::vector<std::pair<WString, WString>>;
  const std::pair<const Utf16Char*, List> kCases[] = {
      {U16(""), {}},
      {U16("   "), {}},
      {U16("a=\"1\" b=\"2\""), {{U16("a"), U16("1")}, {U16("b"), U16("2")}}},
      {U16("  a=\"1\"\r\n\tb=\"\"  "), {{U16("a"), U16("1")}, {U16("b"), U16("")}}},
      {U16("a=\"x='y z'\""), {{U16("a"), U16("x='y z'")}}},
      {U16("text=\"安装\""), {{U16("text"), U16("安装")}}},
      // Malformed pairs end the list.
      {U16("a=\"1\"b=\"2\""), {{U16("a"), U16("1")}}},
      {U16("a=\"1\" b"), {{U16("a"), U16("1")}}},
      {U16("a=\"1\" b="), {{U16("a"), U16("1")}}},
      {U16("a=\"1\" =\"2\" c=\"3\""), {{U16("a"), U16("1")}}},
      {U16("a=\"1\" b=\"2"), {{U16("a"), U16("1")}}},
      {U16("a = \"1\""), {}},
      {U16("a='1'"), {}},
  };
  for (const auto& [text, pairs] : kCases) EXPECT_EQ(Pairs(SkinUI::ParseAttributeList(text)), pairs) << Show(text);
}

// The shared skin file registers the scroll bar's defaults with the inner quotes written as
// entities; the markup decodes them, and the list reads the result.
TEST(AttributeValuesTest, ReadsTheDefaultElementOfTheSharedSkinFile) {
  const std::string text =
      "<DefaultConfig>\r\n"
      "  <Font id=\"0\" name=\"Microsoft Yahei\" size=\"12\" bold=\"false\" default=\"true\" />\r\n"
      "  <Default name=\"VScrollBar\" value=\"width=&quot;8&quot; showbutton1=&quot;true&quot; "
      "button1normalimage=&quot;file='scroll.png' source='0,0,8,8'&quot; "
      "thumbnormalimage=&quot;file='scroll.png' source='0,8,8,25' corner='5,5,5,5'&quot;\" />\r\n"
      "</DefaultConfig>\r\n";
  SkinUI::CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(text.data(), text.size())) << markup.ErrorText();
  const SkinUI::MarkupNode& defaults = markup.Root()->Children().at(1);
  ASSERT_TRUE(defaults.IsNamed(U16("Default")));
  ASSERT_NE(defaults.FindAttribute(U16("value")), nullptr);
  const std::vector<std::pair<WString, WString>> expected = {
      {U16("width"), U16("8")},
      {U16("showbutton1"), U16("true")},
      {U16("button1normalimage"), U16("file='scroll.png' source='0,0,8,8'")},
      {U16("thumbnormalimage"), U16("file='scroll.png' source='0,8,8,25' corner='5,5,5,5'")},
  };
  EXPECT_EQ(Pairs(SkinUI::ParseAttributeList(*defaults.FindAttribute(U16("value")))), expected);
}

}  // namespace
