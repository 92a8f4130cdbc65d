// What windows look like, read from the pixels their trees paint into memory: pictures and their
// display-scale variants, nine-grids, fades and the transparency of layered windows.
#include <gtest/gtest.h>

#include <cstdint>

#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

// An 8x8 picture whose 2-pixel corners are blue and the rest green.
std::string CorneredPng() {
  std::vector<uint32_t> pixels(64, kGreen);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if ((x < 2 || x >= 6) && (y < 2 || y >= 6)) pixels[static_cast<size_t>(y * 8 + x)] = kBlue;
    }
  }
  return PngFromPixels(8, 8, pixels);
}

// 40x40 with its left half red and right half blue; the "@2x" variant is all green.
std::string HalvesPng(int side) {
  std::vector<uint32_t> pixels(static_cast<size_t>(side * side));
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) pixels[static_cast<size_t>(y * side + x)] = x < side / 2 ? kRed : kBlue;
  }
  return PngFromPixels(side, side, pixels);
}

const testing::Environment* const kArchive = testing::AddGlobalTestEnvironment(new TestArchiveEnvironment({
    {"red.png", SolidPng(10, 6, kRed)},
    {"green.png", SolidPng(4, 4, kGreen)},
    {"white.png", SolidPng(4, 4, kWhite)},
    {"corner.png", CorneredPng()},
    {"halves.png", HalvesPng(40)},
    {"halves@2x.png", SolidPng(80, 80, kGreen)},
    {"halves@3x.png", SolidPng(120, 120, kBlue)},
    {"broken.png", SolidPng(4, 4, kRed).substr(0, 40)},
}));

// The alpha of a premultiplied pixel.
uint8_t Alpha(uint32_t pixel) { return static_cast<uint8_t>(pixel >> 24); }

TEST_F(RenderTest, NineGridKeepsTheCornersAndStretchesTheMiddle) {
  const PixelBuffer frame = Render(L"size=\"40,30\"", L"<Control bkimage=\"file='corner.png' corner='2,2,2,2'\"/>");
  for (const auto& corner : {std::pair{0, 0}, std::pair{39, 0}, std::pair{0, 29}, std::pair{39, 29},
                             std::pair{1, 1}, std::pair{38, 28}}) {
    EXPECT_EQ(frame.At(corner.first, corner.second), kBlue) << corner.first << "," << corner.second;
  }
  EXPECT_EQ(frame.At(2, 2), kGreen);
  EXPECT_EQ(frame.At(20, 15), kGreen);
  EXPECT_EQ(frame.At(20, 0), kGreen);
}

TEST_F(RenderTest, FadeMakesThePictureTranslucent) {
  const PixelBuffer frame = Render(L"size=\"4,4\" bktrans=\"true\"", L"<Control bkimage=\"file='white.png' fade='128'\"/>");
  EXPECT_NEAR(Alpha(frame.At(1, 1)), 128, 1);
  EXPECT_NEAR(frame.At(1, 1) & 0xFF, 128, 1);
}

TEST_F(RenderTest, LayeredWindowIsTransparentWhereNothingPaints) {
  const PixelBuffer frame = Render(L"size=\"40,40\" bktrans=\"true\"",
                                   L"<Container><Control float=\"true\" pos=\"10,10,20,20\" bkcolor=\"#FF00FF00\"/>"
                                   L"</Container>");
  EXPECT_EQ(frame.At(15, 15), kGreen);
  EXPECT_EQ(frame.At(5, 5), 0u);
  EXPECT_EQ(frame.At(30, 30), 0u);
}

struct VariantCase {
  int scale;
  const char* what;
  // The colour at the left and the right of a control showing the picture's source rectangle.
  uint32_t left;
  uint32_t right;
};

class VariantTest : public RenderTest, public testing::WithParamInterface<VariantCase> {};

TEST_P(VariantTest, ScaleChoosesThePictureVariant) {
  // source='0,0,20,40' is the red half of the base picture; scaled, it addresses the variant.
  const VariantCase& c = GetParam();
  const PixelBuffer frame =
      Render(L"size=\"40,40\"", L"<Control bkimage=\"file='halves.png' source='0,0,20,40'\"/>", c.scale);
  EXPECT_EQ(frame.At(1, 20), c.left) << c.what;
  EXPECT_EQ(frame.At(frame.Width() - 2, 20), c.right) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Scales, VariantTest,
                         testing::Values(VariantCase{100, "base picture", kRed, kRed},
                                         VariantCase{200, "@2x variant", kGreen, kGreen},
                                         VariantCase{300, "@3x variant", kBlue, kBlue},
                                         // No @4x: the base picture with its rectangle scaled
                                         // by 4 takes the whole window, red and blue halves.
                                         VariantCase{400, "base picture, scaled rectangle", kRed, kBlue}));

TEST_F(RenderTest, MissingOrBrokenPicturesDrawNothingAndTheRestPaints) {
  const PixelBuffer frame = Render(L"size=\"20,10\"",
                                   L"<HorizontalLayout><Control bkcolor=\"#FF0000FF\" bkimage=\"missing.png\"/>"
                                   L"<Control bkcolor=\"#FF00FF00\" bkimage=\"broken.png\"/></HorizontalLayout>");
  EXPECT_EQ(frame.At(5, 5), kBlue);
  EXPECT_EQ(frame.At(15, 5), kGreen);
}

}  // namespace
}  // namespace SkinUI
