#include "skinui/core/picture_decode.h"

#include <climits>
#include <utility>

// The decoder is compiled here and nowhere else, for the two formats that skins use, and
// reads memory only.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace SkinUI {

namespace {

constexpr int kChannels = 4;

uint8_t Premultiplied(uint8_t colour, uint8_t alpha) { return static_cast<uint8_t>((colour * alpha + 127) / 255); }

}  // namespace

bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

void DecodedPixelsFree::operator()(uint8_t* pixels) const { stbi_image_free(pixels); }

bool DecodePicture(const void* data, size_t size, DecodedPicture* picture) {
  if (size > INT_MAX) return false;
  const auto* bytes = static_cast<const stbi_uc*>(data);
  const int length = static_cast<int>(size);
  int width = 0;
  int height = 0;
  int channels = 0;
  if (stbi_info_from_memory(bytes, length, &width, &height, &channels) == 0 || !PictureSizeAllowed(width, height)) {
    return false;
  }
  int decoded_width = 0;
  int decoded_height = 0;
  std::unique_ptr<uint8_t, DecodedPixelsFree> pixels(
      stbi_load_from_memory(bytes, length, &decoded_width, &decoded_height, &channels, kChannels));
  // The decoder reads the header again; what it reads must be what was judged.
  if (pixels == nullptr || decoded_width != width || decoded_height != height) return false;

  bool has_transparency = false;
  uint8_t* const end = pixels.get() + static_cast<size_t>(width) * static_cast<size_t>(height) * kChannels;
  for (uint8_t* pixel = pixels.get(); pixel != end; pixel += kChannels) {
    const uint8_t red = pixel[0];
    const uint8_t alpha = pixel[3];
    has_transparency |= alpha < 255;
    pixel[0] = Premultiplied(pixel[2], alpha);
    pixel[1] = Premultiplied(pixel[1], alpha);
    pixel[2] = Premultiplied(red, alpha);
  }
  picture->pixels = std::move(pixels);
  picture->width = width;
  picture->height = height;
  picture->has_transparency = has_transparency;
  return true;
}

}  // namespace SkinUI
