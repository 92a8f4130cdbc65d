// Any bytes as a small buffer, a small picture and a run of painting calls with rectangles from
// anywhere in the 32-bit plane. After each call nothing outside the clip has changed, every pixel
// is still premultiplied, and a picture drawn at its own size without blending is its pixels.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

#include "common/testing/fuzz_check.h"
#include "skinui/core/pixel_painter.h"

namespace {

using SkinUI::PixelBuffer;
using SkinUI::PixelPainter;
using SkinUI::UiRect;

constexpr int32_t kMaskSide = 16;

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return position_ == size_; }
  uint8_t Next() { return position_ < size_ ? data_[position_++] : 0; }
  uint32_t Next32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | Next();
    return value;
  }
  // Mostly coordinates around the buffer, sometimes the ends of the 32-bit range.
  int32_t Coordinate() {
    const uint8_t byte = Next();
    if (byte == 255) return std::numeric_limits<int32_t>::max();
    if (byte == 254) return std::numeric_limits<int32_t>::min();
    if (byte == 253) return std::numeric_limits<int32_t>::max() - 1;
    if (byte == 252) return std::numeric_limits<int32_t>::min() + 1;
    return byte % 40 - 8;
  }
  UiRect Rect() { return {Coordinate(), Coordinate(), Coordinate(), Coordinate()}; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

bool IsPremultiplied(uint32_t pixel) {
  const uint32_t alpha = pixel >> 24;
  return (pixel & 0xFF) <= alpha && ((pixel >> 8) & 0xFF) <= alpha && ((pixel >> 16) & 0xFF) <= alpha;
}

// Any four bytes as a premultiplied pixel: each colour channel cut down to the alpha.
uint32_t AsPremultiplied(uint32_t value) {
  const uint32_t alpha = value >> 24;
  uint32_t pixel = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) pixel |= std::min((value >> shift) & 0xFF, alpha) << shift;
  return pixel;
}

bool Contains(const UiRect& rect, int32_t x, int32_t y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes bytes(data, size);
  PixelBuffer buffer(bytes.Next() % 24 + 1, bytes.Next() % 24 + 1);
  PixelBuffer picture(bytes.Next() % 12 + 1, bytes.Next() % 12 + 1);
  for (int32_t y = 0; y < picture.Height(); ++y) {
    for (int32_t x = 0; x < picture.Width(); ++x) picture.At(x, y) = AsPremultiplied(bytes.Next32());
  }
  std::vector<uint8_t> mask(kMaskSide * kMaskSide);
  for (uint8_t& value : mask) value = bytes.Next();

  PixelPainter painter(buffer.View());
  std::deque<PixelPainter::ClipScope> clips;
  while (!bytes.Empty()) {
    const PixelBuffer before = buffer;
    const UiRect clip = painter.Clip();
    const uint8_t operation = bytes.Next() % 6;
    const UiRect rect = bytes.Rect();
    switch (operation) {
      case 0:
        if (clips.size() < 8) clips.emplace_back(painter, rect);
        break;
      case 1:
        if (!clips.empty()) clips.pop_back();
        break;
      case 2:
        painter.FillColor(rect, bytes.Next32());
        break;
      case 3:
        painter.DrawBorder(rect, bytes.Coordinate(), bytes.Next32());
        break;
      case 4: {
        const UiRect source = bytes.Rect();
        const UiRect corners = bytes.Rect();
        const uint8_t fade = bytes.Next();
        const bool blend = bytes.Next() % 2 == 0;
        painter.DrawPicture(picture.View(), source, rect, corners, fade, blend);
        const bool inside = source.left >= 0 && source.top >= 0 && source.right <= picture.Width() &&
                            source.bottom <= picture.Height() && !source.IsEmpty();
        if (inside && !blend && fade == 255 && int64_t{rect.right} - rect.left == source.Width() &&
            int64_t{rect.bottom} - rect.top == source.Height()) {
          for (int32_t y = 0; y < buffer.Height(); ++y) {
            for (int32_t x = 0; x < buffer.Width(); ++x) {
              if (!Contains(clip, x, y) || !Contains(rect, x, y)) continue;
              FuzzCheck(buffer.At(x, y) == picture.At(source.left + (x - rect.left), source.top + (y - rect.top)),
                        "a picture drawn at its own size is copied pixel for pixel");
            }
          }
        }
        break;
      }
      default:
        // The mask holds kMaskSide rows; a taller rectangle would promise more.
        if (int64_t{rect.bottom} - rect.top <= kMaskSide) {
          painter.BlendCoverage(rect, mask.data(), kMaskSide, bytes.Next32());
        }
        break;
    }
    FuzzCheck(operation <= 1 || painter.Clip() == clip, "drawing leaves the clip as it was");
    for (int32_t y = 0; y < buffer.Height(); ++y) {
      for (int32_t x = 0; x < buffer.Width(); ++x) {
        FuzzCheck(Contains(clip, x, y) || buffer.At(x, y) == before.At(x, y), "nothing outside the clip changes");
        FuzzCheck(IsPremultiplied(buffer.At(x, y)), "every pixel stays premultiplied");
      }
    }
  }
  return 0;
}
