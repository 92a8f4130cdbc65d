#pragma once
// The skin's PNG and JPEG files as pixels ready for the window layer: 32 bits each, in the
// byte order and with the premultiplied alpha that a top-down 32-bit DIB section drawn with
// AlphaBlend takes.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace SkinUI {

// A picture is refused beyond these, judged from its header before anything is decoded. The
// widest skin picture is a 12000x600 strip of animation frames; the pixel bound keeps the
// decoded picture at 256 MiB.
constexpr int64_t kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = kMaxPictureSide * 4096;

bool PictureSizeAllowed(int64_t width, int64_t height);

// Frees the decoder's pixel buffer, which the pixels are left in rather than copied.
struct DecodedPixelsFree {
  void operator()(uint8_t* pixels) const;
};

struct DecodedPicture {
  // width x height pixels, rows top to bottom, each B, G, R, A with every colour multiplied
  // by A / 255 (rounded to nearest).
  std::unique_ptr<uint8_t, DecodedPixelsFree> pixels;
  int32_t width = 0;
  int32_t height = 0;
  bool has_transparency = false;  // some pixel's A is below 255
};

// False for data that is no PNG or JPEG, is broken or cut short, or holds a picture beyond the
// limits; `picture` is then left as it was.
bool DecodePicture(const void* data, size_t size, DecodedPicture* picture);

}  // namespace SkinUI
