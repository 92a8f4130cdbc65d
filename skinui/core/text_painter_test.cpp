#include "skinui/core/text_painter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "common/scoped_handle.h"
#include "skinui/core/testing/print_geometry.h"

namespace SkinUI {
namespace {

const WStringView kText = L"Bokrin Setup";

// A face that every Wine prefix maps to an installed font, antialiased where the system does.
ScopedGdiObject MakeFont() {
  return ScopedGdiObject(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, L"Tahoma"));
}

HFONT AsFont(const ScopedGdiObject& font) { return static_cast<HFONT>(font.Get()); }

bool Contains(const UiRect& rect, int32_t x, int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// The columns and rows that hold any ink (alpha above 0); empty without ink.
UiRect InkBounds(const PixelBuffer& buffer) {
  UiRect ink{buffer.Width(), buffer.Height(), 0, 0};
  for (int32_t y = 0; y < buffer.Height(); ++y) {
    for (int32_t x = 0; x < buffer.Width(); ++x) {
      if ((buffer.At(x, y) >> 24) == 0) continue;
      ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1), std::max(ink.bottom, y + 1)};
    }
  }
  return ink;
}

constexpr UINT kSingleLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

TEST(TextPainterTest, BlackTextIsOpaqueDarkInkOnlyInsideItsRectangle) {
  const ScopedGdiObject font = MakeFont();
  ASSERT_TRUE(font);
  PixelBuffer buffer(200, 40);
  PixelPainter painter(buffer.View());
  const UiRect rect{10, 5, 190, 35};
  ASSERT_TRUE(PaintText(painter, AsFont(font), kText, rect, kSingleLine | DT_LEFT, 0xFF000000u));

  int opaque = 0;
  for (int32_t y = 0; y < buffer.Height(); ++y) {
    for (int32_t x = 0; x < buffer.Width(); ++x) {
      const uint32_t pixel = buffer.At(x, y);
      if (!Contains(rect, x, y)) {
        ASSERT_EQ(pixel, 0u) << "outside the text's rectangle at " << x << "," << y;
      }
      // Black premultiplied is black at any alpha: the colour channels stay 0.
      ASSERT_EQ(pixel & 0x00FFFFFFu, 0u) << "at " << x << "," << y;
      if ((pixel >> 24) >= 0xC0) ++opaque;
    }
  }
  EXPECT_GT(opaque, 20) << "the strokes of the letters are opaque";
  const UiRect ink = InkBounds(buffer);
  EXPECT_FALSE(ink.IsEmpty());
  EXPECT_GT(ink.Width(), 40) << "twelve letters are wider than that";
}

TEST(TextPainterTest, ColouredTextOverABackgroundStaysPremultiplied) {
  const ScopedGdiObject font = MakeFont();
  PixelBuffer buffer(200, 40);
  PixelPainter painter(buffer.View());
  painter.FillColor({0, 0, 200, 40}, 0x80204060u);
  ASSERT_TRUE(PaintText(painter, AsFont(font), kText, {0, 0, 200, 40}, kSingleLine | DT_CENTER, 0xFFFF8000u));
  int reddish = 0;
  for (int32_t y = 0; y < buffer.Height(); ++y) {
    for (int32_t x = 0; x < buffer.Width(); ++x) {
      const uint32_t pixel = buffer.At(x, y);
      const uint32_t alpha = pixel >> 24;
      ASSERT_GE(alpha, 0x80u);
      ASSERT_LE((pixel >> 16) & 0xFF, alpha);
      ASSERT_LE((pixel >> 8) & 0xFF, alpha);
      ASSERT_LE(pixel & 0xFF, alpha);
      if (((pixel >> 16) & 0xFF) >= 0xC0) ++reddish;
    }
  }
  EXPECT_GT(reddish, 20);
}

struct AlignCase {
  const char* what;
  UINT format;
};

// Where the ink lies in a wide rectangle, which depends on the alignment alone: the same text
// at three alignments, its ink's edges or middle within a few pixels of the rectangle's.
TEST(TextPainterTest, AlignsTheInkWithinTheRectangle) {
  const ScopedGdiObject font = MakeFont();
  const UiRect rect{20, 0, 380, 40};
  const AlignCase kCases[] = {{"left", DT_LEFT}, {"centre", DT_CENTER}, {"right", DT_RIGHT}};
  for (const AlignCase& c : kCases) {
    PixelBuffer buffer(400, 40);
    PixelPainter painter(buffer.View());
    ASSERT_TRUE(PaintText(painter, AsFont(font), kText, rect, kSingleLine | c.format, 0xFF000000u));
    const UiRect ink = InkBounds(buffer);
    ASSERT_FALSE(ink.IsEmpty()) << c.what;
    switch (c.format) {
      case DT_LEFT:
        EXPECT_NEAR(ink.left, rect.left, 3) << c.what;
        break;
      case DT_RIGHT:
        EXPECT_NEAR(ink.right, rect.right, 3) << c.what;
        break;
      default:
        EXPECT_NEAR(ink.left + ink.right, rect.left + rect.right, 6) << c.what << ": ink " << ink.left << ".." << ink.right;
        break;
    }
    // Vertically centred too.
    EXPECT_NEAR(ink.top + ink.bottom, rect.top + rect.bottom, 8) << c.what;
  }
}

// A clip that cuts the text: the ink keeps its place, only the part inside the clip is drawn.
TEST(TextPainterTest, DrawsOnlyInsideTheClipWithoutMovingTheText) {
  const ScopedGdiObject font = MakeFont();
  const UiRect rect{10, 0, 190, 40};
  PixelBuffer whole(200, 40);
  PixelPainter whole_painter(whole.View());
  ASSERT_TRUE(PaintText(whole_painter, AsFont(font), kText, rect, kSingleLine | DT_CENTER, 0xFF000000u));

  PixelBuffer clipped(200, 40);
  PixelPainter painter(clipped.View());
  const UiRect clip{60, 12, 120, 40};
  {
    PixelPainter::ClipScope scope(painter, clip);
    ASSERT_TRUE(PaintText(painter, AsFont(font), kText, rect, kSingleLine | DT_CENTER, 0xFF000000u));
  }
  int inked = 0;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      ASSERT_EQ(clipped.At(x, y), Contains(clip, x, y) ? whole.At(x, y) : 0u) << "at " << x << "," << y;
      if (clipped.At(x, y) != 0) ++inked;
    }
  }
  EXPECT_GT(inked, 0);
}

TEST(TextPainterTest, MeasuresLinesAndBrokenText) {
  const ScopedGdiObject font = MakeFont();
  const int32_t line = FontHeight(AsFont(font));
  EXPECT_GE(line, 14);
  EXPECT_LE(line, 24);

  const UiSize single = MeasureText(AsFont(font), kText, kSingleLine, 0);
  EXPECT_GT(single.cx, 40);
  EXPECT_EQ(single.cy, line);

  const UiSize broken = MeasureText(AsFont(font), L"Bokrin Setup installs Bokrin", DT_WORDBREAK | DT_NOPREFIX, 60);
  EXPECT_LE(broken.cx, 60);
  EXPECT_GE(broken.cy, 2 * line) << "the words go on more than one line";
}

}  // namespace
}  // namespace SkinUI
