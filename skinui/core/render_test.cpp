// What windows look like, read from the pixels their trees paint into memory: pictures and their
// display-scale variants, nine-grids, fades, button states, progress, text and the transparency
// of layered windows.
#include <gtest/gtest.h>

#include <cstdint>

#include "skinui/control/uiprogress.h"
#include "skinui/testing/skin_test_window.h"

namespace SkinUI {
namespace {

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kGrey = 0xFFD8D8D8;

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

class PictureArchive : public testing::Environment {
 public:
  void SetUp() override {
    AttachTestArchive({
        {"red.png", SolidPng(10, 6, kRed)},
        {"green.png", SolidPng(4, 4, kGreen)},
        {"white.png", SolidPng(4, 4, kWhite)},
        {"corner.png", CorneredPng()},
        {"halves.png", HalvesPng(40)},
        {"halves@2x.png", SolidPng(80, 80, kGreen)},
        {"halves@3x.png", SolidPng(120, 120, kBlue)},
        {"broken.png", SolidPng(4, 4, kRed).substr(0, 40)},
    });
  }
};
const testing::Environment* const kArchive = testing::AddGlobalTestEnvironment(new PictureArchive);

// The colour a premultiplied pixel shows, without its alpha.
uint32_t Opaque(uint32_t pixel) { return pixel | 0xFF000000; }
uint8_t Alpha(uint32_t pixel) { return static_cast<uint8_t>(pixel >> 24); }

class RenderTest : public testing::Test {
 protected:
  PixelBuffer Render(const std::wstring& window_attributes, const std::wstring& body, int scale = 100) {
    window_ = std::make_unique<TestSkinWindow>(L"<Window " + window_attributes + L">" + body + L"</Window>");
    EXPECT_TRUE(window_->CreateHidden());
    if (scale != 100) {
      window_->GetManager().SetScale(scale);
    }
    return window_->Render();
  }

  std::unique_ptr<TestSkinWindow> window_;
};

TEST_F(RenderTest, SliderFillsThePartItsValueReached) {
  const PixelBuffer frame = Render(L"size=\"201,12\"",
                                   L"<Slider name=\"s\" max=\"1000\" value=\"500\" bkcolor=\"#FFD8D8D8\" "
                                   L"foreimage=\"file='red.png'\"/>");
  // 500 of 1000 fills 100 of the 201 pixels (rounded down).
  EXPECT_EQ(frame.At(0, 6), kRed);
  EXPECT_EQ(frame.At(99, 6), kRed);
  EXPECT_EQ(frame.At(100, 6), kGrey);
  EXPECT_EQ(frame.At(200, 6), kGrey);

  static_cast<CSliderUI*>(window_->Find(L"s"))->SetValue(2000);
  const PixelBuffer full = window_->Render();
  EXPECT_EQ(full.At(200, 6), kRed);
}

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

TEST_F(RenderTest, HotPictureIsDrawnOverTheBackgroundWhileHovered) {
  const std::wstring button =
      L"<Button name=\"b\" bkimage=\"file='red.png'\" hotimage=\"file='green.png' dest='0,0,10,10'\"/>";
  PixelBuffer frame = Render(L"size=\"40,20\"", button);
  EXPECT_EQ(frame.At(5, 5), kRed);

  window_->HandleMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
  frame = window_->Render();
  EXPECT_EQ(frame.At(5, 5), kGreen);
  EXPECT_EQ(frame.At(30, 15), kRed);

  // Pressed, with neither a normal nor a pressed picture, only the background shows.
  window_->HandleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(20, 10));
  frame = window_->Render();
  EXPECT_EQ(frame.At(5, 5), kRed);
  window_->HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
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

// The bounding box of pixels that differ from `background`.
RECT InkBounds(const PixelBuffer& frame, uint32_t background) {
  RECT ink{frame.Width(), frame.Height(), -1, -1};
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) {
      if (frame.At(x, y) == background) continue;
      ink.left = std::min<LONG>(ink.left, x);
      ink.top = std::min<LONG>(ink.top, y);
      ink.right = std::max<LONG>(ink.right, x + 1);
      ink.bottom = std::max<LONG>(ink.bottom, y + 1);
    }
  }
  return ink;
}

TEST_F(RenderTest, LabelTextIsLeftAlignedAndCentredVerticallyUnlessAligned) {
  const std::wstring label = L"<Font id=\"0\" name=\"Arial\" size=\"14\"/>"
                             L"<Label font=\"0\" text=\"WWW\" bkcolor=\"#FFFFFFFF\" ";
  const PixelBuffer left = Render(L"size=\"200,40\"", label + L"/>");
  const RECT left_ink = InkBounds(left, kWhite);
  EXPECT_LT(left_ink.left, 10);
  EXPECT_NEAR((left_ink.top + left_ink.bottom) / 2, 20, 4);

  const PixelBuffer centred = Render(L"size=\"200,40\"", label + L"align=\"center\"/>");
  const RECT centred_ink = InkBounds(centred, kWhite);
  EXPECT_NEAR((centred_ink.left + centred_ink.right) / 2, 100, 3);
}

TEST_F(RenderTest, EmptyEditShowsItsHintInTheHintColour) {
  const PixelBuffer frame = Render(
      L"size=\"200,30\"", L"<Font id=\"0\" name=\"Arial\" size=\"16\"/><Edit name=\"e\" font=\"0\" tipvalue=\"hint\" "
                          L"bkcolor=\"#FFFFFFFF\" bordersize=\"1\" bordercolor=\"#FF000000\"/>");
  // The hint's darkest pixel is the hint colour (anti-aliased pixels are lighter), not black.
  uint32_t darkest = kWhite;
  for (int y = 2; y < 28; ++y) {
    for (int x = 2; x < 198; ++x) {
      if ((frame.At(x, y) & 0xFF) < (darkest & 0xFF)) darkest = frame.At(x, y);
    }
  }
  EXPECT_NE(darkest, kWhite);
  EXPECT_GE(darkest & 0xFF, 0xBA);
  EXPECT_EQ(frame.At(0, 15), 0xFF000000u);  // the border

  window_->Find(L"e")->SetText(L"typed");
  const PixelBuffer typed = window_->Render();
  uint32_t typed_darkest = kWhite;
  for (int y = 2; y < 28; ++y) {
    for (int x = 2; x < 198; ++x) typed_darkest = std::min(typed_darkest, Opaque(typed.At(x, y)));
  }
  EXPECT_LT(typed_darkest & 0xFF, 0x60);
}

}  // namespace
}  // namespace SkinUI
