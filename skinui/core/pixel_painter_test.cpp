#include "skinui/core/pixel_painter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "skinui/core/testing/print_geometry.h"

namespace SkinUI {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

// Pixels compare as hexadecimal text, so that a failure shows the channels.
std::string Hex(uint32_t pixel) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", pixel);
  return text;
}

PixelBuffer Filled(int32_t width, int32_t height, uint32_t pixel) {
  PixelBuffer buffer(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) buffer.At(x, y) = pixel;
  }
  return buffer;
}

bool Contains(const UiRect& rect, int32_t x, int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

bool IsPremultiplied(uint32_t pixel) {
  const uint32_t alpha = pixel >> 24;
  return (pixel & 0xFF) <= alpha && ((pixel >> 8) & 0xFF) <= alpha && ((pixel >> 16) & 0xFF) <= alpha;
}

// Every pixel of `buffer` is `inside` within `rect` and `outside` elsewhere.
void ExpectPainted(const PixelBuffer& buffer, const UiRect& rect, uint32_t inside, uint32_t outside,
                   const char* what) {
  for (int32_t y = 0; y < buffer.Height(); ++y) {
    for (int32_t x = 0; x < buffer.Width(); ++x) {
      ASSERT_EQ(Hex(buffer.At(x, y)), Hex(Contains(rect, x, y) ? inside : outside))
          << what << " at " << x << "," << y;
    }
  }
}

struct BlendCase {
  const char* what;
  uint32_t under;
  uint32_t argb;
  uint32_t result;
};

TEST(PixelPainterTest, FillsWithSourceOverInPremultipliedPixels) {
  const BlendCase kCases[] = {
      {"opaque over transparent is stored", 0, 0xFFFF0000u, 0xFFFF0000u},
      {"half red over transparent is premultiplied", 0, 0x80FF0000u, 0x80800000u},
      {"half red over opaque blue", kBlue, 0x80FF0000u, 0xFF80007Fu},
      {"half white over half black", 0x80000000u, 0x80FFFFFFu, 0xC0808080u},
      {"alpha 0 leaves the pixel", 0xFF123456u, 0x00FFFFFFu, 0xFF123456u},
      {"opaque replaces whatever was there", 0x40102030u, 0xFF0000FFu, 0xFF0000FFu},
  };
  for (const BlendCase& c : kCases) {
    PixelBuffer buffer = Filled(4, 3, c.under);
    PixelPainter painter(buffer.View());
    painter.FillColor({1, 1, 3, 2}, c.argb);
    ExpectPainted(buffer, {1, 1, 3, 2}, c.result, c.under, c.what);
  }
}

struct ClipCase {
  const char* what;
  UiRect rect;
  UiRect clip;
  UiRect painted;
};

TEST(PixelPainterTest, FillsOnlyTheRectangleInsideTheClipAndTheBuffer) {
  const ClipCase kCases[] = {
      {"inside", {1, 1, 4, 3}, {0, 0, 8, 6}, {1, 1, 4, 3}},
      {"cut by the clip", {1, 1, 7, 5}, {3, 2, 5, 9}, {3, 2, 5, 5}},
      {"cut by the buffer", {-3, -2, 20, 3}, {kMin, kMin, kMax, kMax}, {0, 0, 8, 3}},
      {"the whole 32-bit plane", {kMin, kMin, kMax, kMax}, {2, 2, 6, 4}, {2, 2, 6, 4}},
      {"inverted", {6, 1, 2, 4}, {0, 0, 8, 6}, {}},
      {"empty", {2, 2, 2, 5}, {0, 0, 8, 6}, {}},
      {"outside the clip", {0, 0, 3, 3}, {4, 4, 8, 6}, {}},
      {"an inverted clip", {0, 0, 8, 6}, {5, 0, 1, 6}, {}},
      {"far outside", {kMax - 1, 2, kMax, 3}, {kMin, kMin, kMax, kMax}, {}},
  };
  for (const ClipCase& c : kCases) {
    PixelBuffer buffer(8, 6);
    PixelPainter painter(buffer.View());
    PixelPainter::ClipScope scope(painter, c.clip);
    painter.FillColor(c.rect, kGreen);
    ExpectPainted(buffer, c.painted, kGreen, 0, c.what);
  }
}

TEST(PixelPainterTest, ClipScopesNestAndRestore) {
  PixelBuffer buffer(8, 6);
  PixelPainter painter(buffer.View());
  {
    PixelPainter::ClipScope outer(painter, {1, 1, 7, 5});
    PixelPainter::ClipScope inner(painter, {4, 0, 8, 6});
    EXPECT_EQ(painter.Clip(), (UiRect{4, 1, 7, 5}));
  }
  EXPECT_EQ(painter.Clip(), (UiRect{0, 0, 8, 6}));
}

TEST(PixelPainterTest, UnusableBuffersTakeNothing) {
  uint32_t pixel = 0;
  const PixelView kViews[] = {{nullptr, 1, 1, 1}, {&pixel, 0, 1, 1}, {&pixel, 1, -1, 1}, {&pixel, 1, 1, 0}};
  for (const PixelView& view : kViews) {
    PixelPainter painter(view);
    EXPECT_TRUE(painter.Clip().IsEmpty());
    painter.FillColor({kMin, kMin, kMax, kMax}, kRed);
    EXPECT_EQ(pixel, 0u);
  }
}

struct BorderCase {
  const char* what;
  UiRect rect;
  int32_t width;
  UiRect inner;  // left unpainted inside `rect`
};

TEST(PixelPainterTest, DrawsBordersInsideTheRectangleOnce) {
  const BorderCase kCases[] = {
      {"two pixels wide", {1, 1, 9, 7}, 2, {3, 3, 7, 5}},
      {"one pixel wide", {0, 0, 10, 8}, 1, {1, 1, 9, 7}},
      {"as wide as half the height fills it", {1, 1, 9, 7}, 3, {}},
      {"wider than the rectangle fills it", {1, 1, 9, 7}, kMax, {1, 1, 1, 1}},
      {"over the buffer's edge", {-4, -4, 6, 5}, 5, {1, 1, 1, 0}},
      {"from the ends of the 32-bit range", {kMin, kMin, kMax, kMax}, 3, {kMin + 3, kMin + 3, kMax - 3, kMax - 3}},
  };
  // A half-transparent colour shows a pixel blended twice where the strips met.
  const uint32_t kColor = 0x80FF0000u;
  for (const BorderCase& c : kCases) {
    PixelBuffer buffer(10, 8);
    PixelPainter painter(buffer.View());
    painter.DrawBorder(c.rect, c.width, kColor);
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 10; ++x) {
        const bool painted = Contains(c.rect, x, y) && !Contains(c.inner, x, y);
        ASSERT_EQ(Hex(buffer.At(x, y)), Hex(painted ? 0x80800000u : 0)) << c.what << " at " << x << "," << y;
      }
    }
  }
  PixelBuffer buffer(10, 8);
  PixelPainter painter(buffer.View());
  painter.DrawBorder({0, 0, 10, 8}, 0, kColor);
  painter.DrawBorder({0, 0, 10, 8}, -2, kColor);
  ExpectPainted(buffer, {}, 0, 0, "a width below 1 draws nothing");
}

// A picture whose every pixel is different and premultiplied: alpha 255 on even columns,
// 0x80 on odd ones.
PixelBuffer Numbered(int32_t width, int32_t height) {
  PixelBuffer picture(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t alpha = x % 2 == 0 ? 0xFF : 0x80;
      picture.At(x, y) = (alpha << 24) | (static_cast<uint32_t>(y % 0x80) << 16) | (static_cast<uint32_t>(x % 0x80) << 8);
    }
  }
  return picture;
}

struct CopyCase {
  const char* what;
  UiRect source;
  UiRect dest;
  UiRect clip;
};

TEST(PixelPainterTest, CopiesPiecesOfTheSameSizePixelForPixel) {
  const CopyCase kCases[] = {
      {"a piece inside", {1, 1, 5, 3}, {2, 3, 6, 5}, {kMin, kMin, kMax, kMax}},
      {"a wide strip shown through a window", {0, 0, 64, 4}, {-20, 1, 44, 5}, {kMin, kMin, kMax, kMax}},
      {"clipped to a repainted area", {0, 0, 10, 6}, {0, 0, 10, 6}, {3, 2, 7, 4}},
  };
  const PixelBuffer picture = Numbered(64, 6);
  for (const CopyCase& c : kCases) {
    for (const bool blend : {false, true}) {
      PixelBuffer buffer(12, 8);
      PixelPainter painter(buffer.View());
      PixelPainter::ClipScope scope(painter, c.clip);
      painter.DrawPicture(picture.View(), c.source, c.dest, {}, 255, blend);
      for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
          const int32_t px = c.source.left + x - c.dest.left;
          const int32_t py = c.source.top + y - c.dest.top;
          const bool shown = Contains(c.clip, x, y) && Contains(c.dest, x, y);
          ASSERT_EQ(Hex(buffer.At(x, y)), Hex(shown ? picture.At(px, py) : 0))
              << c.what << (blend ? " blended" : " copied") << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(PixelPainterTest, CutsTheSourceToThePicture) {
  const PixelBuffer picture = Numbered(14, 2);
  PixelBuffer cut(20, 8);
  PixelBuffer whole(20, 8);
  PixelPainter cut_painter(cut.View());
  PixelPainter whole_painter(whole.View());
  for (const UiRect& dest : {UiRect{4, 4, 18, 6}, UiRect{0, 0, 20, 8}}) {
    cut_painter.DrawPicture(picture.View(), {-4, -4, 30, 2}, dest, {}, 255, false);
    whole_painter.DrawPicture(picture.View(), {0, 0, 14, 2}, dest, {}, 255, false);
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 20; ++x) ASSERT_EQ(Hex(cut.At(x, y)), Hex(whole.At(x, y))) << x << "," << y;
    }
  }
}

struct StretchCase {
  const char* what;
  UiRect source;
  UiRect dest;
};

TEST(PixelPainterTest, StretchingKeepsASolidColourExact) {
  const StretchCase kCases[] = {
      {"grown both ways", {1, 1, 4, 4}, {0, 0, 17, 11}},
      {"shrunk both ways", {1, 1, 17, 17}, {2, 1, 7, 8}},
      {"a strip grown along itself", {1, 1, 8, 2}, {0, 3, 20, 4}},
      {"one pixel into many", {5, 5, 6, 6}, {1, 1, 10, 9}},
      {"shrunk one way only", {1, 1, 10, 10}, {0, 0, 9, 3}},
      {"grown one way, shrunk the other", {1, 1, 4, 17}, {0, 0, 20, 5}},
      {"shrunk by a large factor", {1, 1, 17, 17}, {3, 3, 4, 4}},
      {"grown across the whole 32-bit plane", {1, 1, 17, 17}, {kMin, kMin, kMax, kMax}},
  };
  // The source is surrounded by another colour, which would show if sampling strayed outside it.
  for (const uint32_t color : {0xFF336699u, 0x80402010u}) {
    PixelBuffer picture = Filled(18, 18, kGreen);
    for (int32_t y = 1; y < 17; ++y) {
      for (int32_t x = 1; x < 17; ++x) picture.At(x, y) = color;
    }
    for (const StretchCase& c : kCases) {
      PixelBuffer buffer(20, 12);
      PixelPainter painter(buffer.View());
      painter.DrawPicture(picture.View(), c.source, c.dest, {}, 255, false);
      ExpectPainted(buffer, c.dest, color, 0, c.what);
    }
  }
}

struct FilterCase {
  const char* what;
  std::vector<uint8_t> source;
  std::vector<uint8_t> result;
};

TEST(PixelPainterTest, GrowsLinearlyAndShrinksByAreaAverage) {
  const FilterCase kCases[] = {
      {"grown: interpolated between pixel centres, held at the ends",
       {0, 255},
       {0, 0, 32, 96, 159, 223, 255, 255}},
      {"shrunk by two: pairs averaged", {0, 100, 200, 60}, {50, 130}},
      {"shrunk by 3/2: thirds of pixels weighed in", {0, 90, 180}, {30, 150}},
      {"same length: unchanged", {7, 200, 13}, {7, 200, 13}},
  };
  for (const FilterCase& c : kCases) {
    // Opaque grey pixels, as a row and as a column, so that both axes are checked.
    for (const bool vertical : {false, true}) {
      const auto length = static_cast<int32_t>(c.source.size());
      const auto result_length = static_cast<int32_t>(c.result.size());
      PixelBuffer picture(vertical ? 1 : length, vertical ? length : 1);
      for (int32_t i = 0; i < length; ++i) {
        picture.At(vertical ? 0 : i, vertical ? i : 0) = 0xFF000000u | c.source[i] * 0x010101u;
      }
      PixelBuffer buffer(vertical ? 2 : result_length, vertical ? result_length : 2);
      PixelPainter painter(buffer.View());
      painter.DrawPicture(picture.View(), {0, 0, picture.Width(), picture.Height()},
                          {0, 0, buffer.Width(), buffer.Height()}, {}, 255, false);
      for (int32_t i = 0; i < result_length; ++i) {
        for (int32_t across = 0; across < 2; ++across) {
          EXPECT_EQ(Hex(buffer.At(vertical ? across : i, vertical ? i : across)),
                    Hex(0xFF000000u | c.result[i] * 0x010101u))
              << c.what << (vertical ? " down" : " across") << " at " << i;
        }
      }
    }
  }
}

TEST(PixelPainterTest, NineGridKeepsCornersAndSeparatesItsPieces) {
  // Red 4-pixel corners, green edges, a blue middle: each piece must come out in its one colour
  // with no pixel mixed across a seam.
  PixelBuffer picture(12, 12);
  for (int32_t y = 0; y < 12; ++y) {
    for (int32_t x = 0; x < 12; ++x) {
      const int edges = (x < 4 || x >= 8 ? 1 : 0) + (y < 4 || y >= 8 ? 1 : 0);
      picture.At(x, y) = edges == 2 ? kRed : edges == 1 ? kGreen : kBlue;
    }
  }
  const UiRect kDests[] = {{2, 3, 42, 33}, {0, 0, 10, 9}};  // larger, and smaller than the picture
  for (const UiRect& dest : kDests) {
    PixelBuffer buffer(44, 36);
    PixelPainter painter(buffer.View());
    painter.DrawPicture(picture.View(), {0, 0, 12, 12}, dest, {4, 4, 4, 4}, 255, false);
    for (int32_t y = 0; y < 36; ++y) {
      for (int32_t x = 0; x < 44; ++x) {
        const bool near_x = x < dest.left + 4 || x >= dest.right - 4;
        const bool near_y = y < dest.top + 4 || y >= dest.bottom - 4;
        const uint32_t expected = !Contains(dest, x, y) ? 0 : near_x && near_y ? kRed : near_x || near_y ? kGreen : kBlue;
        ASSERT_EQ(Hex(buffer.At(x, y)), Hex(expected)) << "at " << x << "," << y;
      }
    }
  }
}

struct FadeCase {
  const char* what;
  uint32_t under;
  uint32_t pixel;
  uint8_t fade;
  bool blend;
  uint32_t result;
};

TEST(PixelPainterTest, FadesAndBlendsPictures) {
  const FadeCase kCases[] = {
      {"fade 128 halves an opaque picture", 0, 0xFFFF8040u, 128, true, 0x80804020u},
      {"a faded picture over an opaque one", 0xFF0000FFu, 0xFFFF0000u, 128, true, 0xFF80007Fu},
      {"a half-transparent picture over an opaque one", 0xFF0000FFu, 0x80800000u, 255, true, 0xFF80007Fu},
      {"fade 0 leaves what is there", 0xFF0000FFu, 0xFFFF0000u, 0, true, 0xFF0000FFu},
      {"a copy replaces what is there", 0xFF0000FFu, 0x80800000u, 255, false, 0x80800000u},
      {"a faded copy stores the faded pixels", 0xFF0000FFu, 0xFFFF8040u, 128, false, 0x80804020u},
  };
  for (const FadeCase& c : kCases) {
    const PixelBuffer picture = Filled(3, 3, c.pixel);
    // As a copy and stretched.
    for (const UiRect& dest : {UiRect{1, 1, 4, 4}, UiRect{0, 1, 7, 5}}) {
      PixelBuffer buffer = Filled(8, 6, c.under);
      PixelPainter painter(buffer.View());
      painter.DrawPicture(picture.View(), {0, 0, 3, 3}, dest, {}, c.fade, c.blend);
      ExpectPainted(buffer, dest, c.result, c.under, c.what);
    }
  }
}

TEST(PixelPainterTest, PicturesKeepToTheClip) {
  const PixelBuffer picture = Filled(4, 4, kRed);
  const UiRect kClip{2, 1, 6, 4};
  const UiRect kDests[] = {{0, 0, 4, 4}, {0, 0, 10, 8}, {kMin, kMin, kMax, kMax}, {-3, -3, 9, 2}};
  for (const UiRect& dest : kDests) {
    PixelBuffer buffer(10, 8);
    PixelPainter painter(buffer.View());
    PixelPainter::ClipScope scope(painter, kClip);
    painter.DrawPicture(picture.View(), {0, 0, 4, 4}, dest, {1, 1, 1, 1}, 255, true);
    const UiRect painted{std::max(dest.left, kClip.left), std::max(dest.top, kClip.top),
                         std::min(dest.right, kClip.right), std::min(dest.bottom, kClip.bottom)};
    ExpectPainted(buffer, painted, kRed, 0, "a picture inside the clip");
  }
}

TEST(PixelPainterTest, UnusablePicturesDrawNothing) {
  const uint32_t pixel = kRed;
  const ConstPixelView kPictures[] = {{nullptr, 1, 1, 1}, {&pixel, 0, 1, 1}, {&pixel, 1, 0, 1}, {&pixel, 2, 1, 1}};
  const UiRect kSources[] = {{1, 1, 2, 2}, {0, 0, 0, 1}, {1, 0, 0, 1}};
  PixelBuffer buffer(4, 4);
  PixelPainter painter(buffer.View());
  for (const ConstPixelView& picture : kPictures) painter.DrawPicture(picture, {0, 0, 1, 1}, {0, 0, 4, 4}, {}, 255, false);
  const PixelBuffer picture = Filled(1, 1, kRed);
  for (const UiRect& source : kSources) painter.DrawPicture(picture.View(), source, {0, 0, 4, 4}, {}, 255, false);
  ExpectPainted(buffer, {}, 0, 0, "pictures without pixels");
}

TEST(PixelPainterTest, BlendsCoverageMasks) {
  const struct {
    const char* what;
    uint32_t under;
    uint8_t coverage;
    uint32_t argb;
    uint32_t result;
  } kCases[] = {
      {"full coverage of opaque black", 0, 255, 0xFF000000u, 0xFF000000u},
      {"half coverage of opaque black", 0, 128, 0xFF000000u, 0x80000000u},
      {"half coverage of half white", 0, 128, 0x80FFFFFFu, 0x40404040u},
      {"full coverage of half black over white", 0xFFFFFFFFu, 255, 0x80000000u, 0xFF7F7F7Fu},
      {"no coverage", 0xFF123456u, 0, 0xFF000000u, 0xFF123456u},
  };
  for (const auto& c : kCases) {
    PixelBuffer buffer = Filled(6, 4, c.under);
    PixelPainter painter(buffer.View());
    // A 3 x 2 mask in rows 5 bytes apart, the bytes between rows not part of it.
    const uint8_t mask[] = {c.coverage, c.coverage, c.coverage, 99, 99, c.coverage, c.coverage, c.coverage};
    painter.BlendCoverage({2, 1, 5, 3}, mask, 5, c.argb);
    ExpectPainted(buffer, {2, 1, 5, 3}, c.result, c.under, c.what);
  }
}

TEST(PixelPainterTest, CoverageKeepsToTheClipAndTheMask) {
  // Each mask value is its own position, so a misplaced read shows as a wrong pixel.
  std::vector<uint8_t> mask(8 * 6);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = static_cast<uint8_t>(i + 1);
  const UiRect kWhere[] = {{-2, -1, 6, 5}, {3, 2, 11, 8}};
  for (const UiRect& where : kWhere) {
    PixelBuffer buffer(8, 6);
    PixelPainter painter(buffer.View());
    PixelPainter::ClipScope scope(painter, {1, 1, 7, 5});
    painter.BlendCoverage(where, mask.data(), 8, 0xFF000000u);
    for (int32_t y = 0; y < 6; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        const bool shown = Contains(where, x, y) && Contains({1, 1, 7, 5}, x, y);
        const uint32_t alpha = shown ? mask[(y - where.top) * 8 + (x - where.left)] : 0;
        ASSERT_EQ(Hex(buffer.At(x, y)), Hex(alpha << 24)) << x << "," << y;
      }
    }
  }
  PixelBuffer buffer(8, 6);
  PixelPainter painter(buffer.View());
  painter.BlendCoverage({0, 0, 8, 6}, mask.data(), 7, 0xFF000000u);
  painter.BlendCoverage({0, 0, 8, 6}, nullptr, 8, 0xFF000000u);
  painter.BlendCoverage({kMin, kMin, kMax, kMax}, mask.data(), 8, 0xFF000000u);
  ExpectPainted(buffer, {}, 0, 0, "a mask shorter than its rows, none, or one far too large for its stride");
}

// Many primitives with many colours and fades over each other: no channel ever exceeds its alpha.
TEST(PixelPainterTest, EveryPrimitiveKeepsPixelsPremultiplied) {
  uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  PixelBuffer picture(7, 5);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 7; ++x) picture.At(x, y) = Premultiply(next() | (next() << 24));
  }
  // Large enough for any of the rectangles below, whose edges lie in -4..35.
  std::vector<uint8_t> mask(40 * 40);
  for (uint8_t& value : mask) value = static_cast<uint8_t>(next());
  PixelBuffer buffer(32, 24);
  PixelPainter painter(buffer.View());
  for (int round = 0; round < 200; ++round) {
    const auto coordinate = [&next] { return static_cast<int32_t>(next() % 40) - 4; };
    const UiRect rect{coordinate(), coordinate(), coordinate(), coordinate()};
    const uint32_t argb = next() | (next() << 24);
    switch (round % 4) {
      case 0:
        painter.FillColor(rect, argb);
        break;
      case 1:
        painter.DrawBorder(rect, static_cast<int32_t>(next() % 4), argb);
        break;
      case 2:
        painter.DrawPicture(picture.View(), {0, 0, 7, 5}, rect, {2, 1, 2, 1}, static_cast<uint8_t>(next()),
                            next() % 2 == 0);
        break;
      default:
        painter.BlendCoverage(rect, mask.data(), 40, argb);
        break;
    }
    for (int32_t y = 0; y < 24; ++y) {
      for (int32_t x = 0; x < 32; ++x) {
        ASSERT_TRUE(IsPremultiplied(buffer.At(x, y))) << Hex(buffer.At(x, y)) << " after round " << round;
      }
    }
  }
}

}  // namespace
}  // namespace SkinUI
