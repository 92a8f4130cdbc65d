#pragma once
// The painting primitives of the toolkit. A window paints each frame into one off-screen 32-bit
// buffer whose pixels are premultiplied-alpha 0xAARRGGBB (bytes B, G, R, A in memory, as a
// Windows DIB section holds them) and then presents it, either copied to the window or with
// per-pixel alpha as a layered window. Every primitive therefore writes premultiplied pixels
// (no channel above the alpha), and what nobody paints stays 0, fully transparent.
// Rectangles may be anything: empty, inverted, huge or far outside draw nothing outside the
// buffer and the clip, and no arithmetic on them overflows.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skinui/core/geometry.h"

namespace SkinUI {

// Pixels that a primitive reads: a picture, premultiplied like the buffer. `stride` is the
// distance between rows in pixels. A view with no pixels, a size below 1 or a stride below its
// width is taken as empty.
struct ConstPixelView {
  const uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;
};

// Pixels that a primitive writes, taken as ConstPixelView is; any of them may be read as a
// picture too.
struct PixelView {
  uint32_t* pixels = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int32_t stride = 0;

  operator ConstPixelView() const { return {pixels, width, height, stride}; }
};

// A picture or buffer that owns its pixels, all 0 (transparent) at first. A size below 0 counts
// as 0.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(int32_t width, int32_t height);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint32_t& At(int32_t x, int32_t y) { return pixels_[Index(x, y)]; }
  uint32_t At(int32_t x, int32_t y) const { return pixels_[Index(x, y)]; }
  PixelView View() { return {pixels_.data(), width_, height_, width_}; }
  ConstPixelView View() const { return {pixels_.data(), width_, height_, width_}; }

 private:
  size_t Index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * width_ + x; }

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;
};

// A skin colour 0xAARRGGBB (not premultiplied) as a buffer pixel.
uint32_t Premultiply(uint32_t argb);

class PixelPainter {
 public:
  // Draws into `target`, clipped to it.
  explicit PixelPainter(const PixelView& target);

  PixelPainter(const PixelPainter&) = delete;
  PixelPainter& operator=(const PixelPainter&) = delete;

  // Narrows the clip to its meeting with `rect` for as long as the scope lives; scopes nest.
  class ClipScope {
   public:
    ClipScope(PixelPainter& painter, const UiRect& rect);
    ~ClipScope();
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

   private:
    PixelPainter& painter_;
  };

  // Where primitives may draw now: inside the buffer, possibly empty.
  UiRect Clip() const { return clips_.back(); }

  // `argb` (a skin colour, not premultiplied) over what is there: alpha 255 replaces, 0 leaves
  // everything as it was.
  void FillColor(const UiRect& rect, uint32_t argb);

  // A frame `width` pixels wide inside `rect`, each pixel blended once. A frame as wide as half
  // the rectangle fills it; a width below 1 draws nothing.
  void DrawBorder(const UiRect& rect, int32_t width, uint32_t argb);

  // The `source` pixels of `picture` (premultiplied) into `dest`, split with NineGridParts by the
  // margins `corners` and each piece scaled into its place. `source` is first clipped to the
  // picture. Pieces of the same size are copied pixel for pixel; others are resampled with a
  // separable filter that reads only inside the piece, so nothing bleeds across a nine-grid
  // seam: linear interpolation where a piece grows and the area average where it shrinks (what
  // the platform's half-tone stretching does), so that shrunken pictures do not drop pixels.
  // A filled colour stays exactly that colour either way. Each pixel is scaled by `fade`/255;
  // with `blend` it is laid over what is there, without it replaces it (opaque pictures).
  void DrawPicture(const ConstPixelView& picture, const UiRect& source, const UiRect& dest, const UiRect& corners,
                   uint8_t fade, bool blend);

  // A mask such as rendered text: each pixel of `where` gets `argb` (not premultiplied) with
  // its alpha scaled by the mask's value/255, laid over what is there. `coverage` holds
  // where.Width() values a row, rows `coverage_stride` bytes apart; without a mask, or with a
  // stride shorter than a row, nothing is drawn.
  void BlendCoverage(const UiRect& where, const uint8_t* coverage, int32_t coverage_stride, uint32_t argb);

 private:
  // One scaled piece of a picture, both rectangles not empty and the source inside the picture.
  void DrawPart(const ConstPixelView& picture, const UiRect& source, const UiRect& dest, uint8_t fade, bool blend);
  void CopyPart(const ConstPixelView& picture, const UiRect& source, const UiRect& dest, const UiRect& visible,
                uint8_t fade, bool blend);
  void StretchPart(const ConstPixelView& picture, const UiRect& source, const UiRect& dest, const UiRect& visible,
                   uint8_t fade, bool blend);
  uint32_t* Row(int32_t y) const { return target_.pixels + static_cast<ptrdiff_t>(y) * target_.stride; }

  PixelView target_;
  std::vector<UiRect> clips_;
};

}  // namespace SkinUI
