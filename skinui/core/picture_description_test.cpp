#include "skinui/core/picture_description.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "skinui/core/testing/print_geometry.h"

namespace {

using SkinUI::PictureDescription;
using SkinUI::UiRect;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

std::string Show(SkinUI::WStringView text) {
  std::string shown;
  for (Utf16Char ch : text) shown += (ch < 0x80) ? static_cast<char>(ch) : '?';
  return shown;
}

struct DescriptionCase {
  const Utf16Char* text;
  int32_t scale;
  const Utf16Char* file;
  UiRect source;
  UiRect dest;
  UiRect corner;
  int fade;
};

TEST(PictureDescriptionTest, ReadsDescriptionsAtEveryScale) {
  const UiRect kNone;
  const DescriptionCase kCases[] = {
      // Plain file names, as the skin's buttons and labels write them.
      {U16("install_close.png"), 100, U16("install_close.png"), kNone, kNone, kNone, 255},
      {U16("icon-wancheng.png"), 200, U16("icon-wancheng.png"), kNone, kNone, kNone, 255},
      {U16("图片 1.png"), 100, U16("图片 1.png"), kNone, kNone, kNone, 255},
      // The message box's red button, at each scale the toolkit uses.
      {U16("file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'"), 100, U16("btn-red-nor.png"),
       {7, 6, 27, 26}, kNone, {4, 4, 4, 4}, 255},
      {U16("file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'"), 200, U16("btn-red-nor.png"),
       {14, 12, 54, 52}, kNone, {8, 8, 8, 8}, 255},
      {U16("file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'"), 300, U16("btn-red-nor.png"),
       {21, 18, 81, 78}, kNone, {12, 12, 12, 12}, 255},
      {U16("file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'"), 400, U16("btn-red-nor.png"),
       {28, 24, 108, 104}, kNone, {16, 16, 16, 16}, 255},
      {U16("file='jiantou-nor.png' dest='85,2,101,18'"), 200, U16("jiantou-nor.png"), kNone, {170, 4, 202, 36},
       kNone, 255},
      {U16("file='jindu-2.png' source='0,6,10,12' corner='3,0,3,0'"), 300, U16("jindu-2.png"), {0, 18, 30, 36},
       kNone, {9, 0, 9, 0}, 255},
      {U16("file='neirong3.jpg' source='0,95,800,645' fade='255'"), 100, U16("neirong3.jpg"), {0, 95, 800, 645},
       kNone, kNone, 255},
      // Other scales round as the platform's scaling does; nothing overflows.
      {U16("dest='-1,-2,3,4'"), 200, U16(""), kNone, {-2, -4, 6, 8}, kNone, 255},
      {U16("source='1,3,-1,-3'"), 150, U16(""), {2, 5, -2, -5}, kNone, kNone, 255},
      {U16("source='2000000000,0,0,-2000000000'"), 200, U16(""), {kMax, 0, 0, -kMax - 1}, kNone, kNone, 255},
      // Fade is clamped into 0..255; an empty value changes nothing.
      {U16("file='a.png' fade='128'"), 100, U16("a.png"), kNone, kNone, kNone, 128},
      {U16("file='a.png' fade='300'"), 100, U16("a.png"), kNone, kNone, kNone, 255},
      {U16("file='a.png' fade='-5'"), 100, U16("a.png"), kNone, kNone, kNone, 0},
      {U16("file='a.png' fade='x'"), 100, U16("a.png"), kNone, kNone, kNone, 0},
      {U16("file='a.png' fade=''"), 100, U16("a.png"), kNone, kNone, kNone, 255},
      // Keys ignore case; unknown keys are skipped; a later key wins.
      {U16("FILE='a.png' Source='1,2,3,4'"), 100, U16("a.png"), {1, 2, 3, 4}, kNone, kNone, 255},
      {U16("file='a.png' mask='#ffff00ff' hole='true'"), 100, U16("a.png"), kNone, kNone, kNone, 255},
      {U16("file='a.png'  file='b.png'"), 100, U16("b.png"), kNone, kNone, kNone, 255},
      // A list without a file names none; a malformed pair ends the list.
      {U16("source='1,2,3,4'"), 100, U16(""), {1, 2, 3, 4}, kNone, kNone, 255},
      {U16("file='a.png' junk file='b.png'"), 100, U16("a.png"), kNone, kNone, kNone, 255},
      {U16("file='a.png' fade=\"9\""), 100, U16("a.png"), kNone, kNone, kNone, 255},
      // Text in which no pair can be read is a file name.
      {U16("file='a.png"), 100, U16("file='a.png"), kNone, kNone, kNone, 255},
      {U16("file = 'a.png'"), 100, U16("file = 'a.png'"), kNone, kNone, kNone, 255},
      {U16(""), 200, U16(""), kNone, kNone, kNone, 255},
  };
  for (const DescriptionCase& c : kCases) {
    const PictureDescription description = SkinUI::ParsePictureDescription(c.text, c.scale);
    const std::string shown = Show(c.text) + " at " + std::to_string(c.scale);
    EXPECT_EQ(description.file, c.file) << shown;
    EXPECT_EQ(description.source, c.source) << shown;
    EXPECT_EQ(description.dest, c.dest) << shown;
    EXPECT_EQ(description.corner, c.corner) << shown;
    EXPECT_EQ(description.fade, c.fade) << shown;
  }
}

TEST(PictureDescriptionTest, NamesTheVariantOfADisplayScale) {
  struct Case {
    const Utf16Char* file;
    int32_t scale;
    const Utf16Char* variant;
  };
  const Case kCases[] = {
      {U16("btn-8-nor.png"), 200, U16("btn-8-nor@2x.png")},
      {U16("btn-8-nor.png"), 299, U16("btn-8-nor@2x.png")},
      {U16("neirong1.jpg"), 300, U16("neirong1@3x.jpg")},
      {U16("install_close.png"), 400, U16("install_close@4x.png")},
      {U16("a.png"), 1000, U16("a@10x.png")},
      {U16("图片.png"), 200, U16("图片@2x.png")},
      // At 100 percent, and below, the name as written.
      {U16("btn-8-nor.png"), 100, U16("btn-8-nor.png")},
      {U16("btn-8-nor.png"), 99, U16("btn-8-nor.png")},
      {U16("btn-8-nor.png"), 0, U16("btn-8-nor.png")},
      {U16("btn-8-nor.png"), -200, U16("btn-8-nor.png")},
      // Every dot gets the mark: such a variant is not in the skin, and the name as written is
      // drawn instead.
      {U16("btn-8-nor.png"), 150, U16("btn-8-nor@1x.png")},
      {U16("skin.dark.png"), 200, U16("skin@2x.dark@2x.png")},
      {U16("img.v1/btn.png"), 300, U16("img@3x.v1/btn@3x.png")},
      {U16("noextension"), 200, U16("noextension")},
      {U16(""), 200, U16("")},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(SkinUI::ScaledPictureName(c.file, c.scale), c.variant) << Show(c.file) << " at " << c.scale;
  }
}

// At 200 percent the red button is drawn from the "@2x" picture, whose pixels the scaled
// source rectangle addresses.
TEST(PictureDescriptionTest, ScaledRectanglesAddressTheVariantsPixels) {
  const PictureDescription description =
      SkinUI::ParsePictureDescription(U16("file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'"), 200);
  EXPECT_EQ(SkinUI::ScaledPictureName(description.file, 200), U16("btn-red-nor@2x.png"));
  EXPECT_EQ(description.source, (UiRect{14, 12, 54, 52}));
}

}  // namespace
