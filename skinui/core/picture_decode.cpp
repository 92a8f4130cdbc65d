#include "skinui/core/picture_decode.h"

#include <algorithm>
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

// stb_image 2.27 copies a JPEG Huffman table into room for 256 codes without checking how many
// the file declares, and more overrun it. So every table is checked here first: wherever the
// bytes FF C4 stand, the decoder may take them for a table segment, and they are read as one.
// A file that holds such bytes in other data may be refused by chance; no table goes unchecked.
// Only JPEG files (which start with FF) are looked at, so that no PNG data is misread.
bool HuffmanTablesFit(const uint8_t* data, size_t size) {
  if (size == 0 || data[0] != 0xFF) return true;
  // Past the end the decoder reads zeros.
  const auto byte = [data, size](size_t at) -> size_t { return at < size ? data[at] : 0; };
  for (size_t at = 0; at + 1 < size; ++at) {
    if (data[at] != 0xFF || data[at + 1] != 0xC4) continue;
    const size_t end = at + 2 + (byte(at + 2) << 8 | byte(at + 3));
    for (size_t table = at + 4; table < end && table < size;) {
      const size_t kind = byte(table);
      if ((kind >> 4) > 1 || (kind & 15) > 3) break;  // the decoder gives up at such a table
      size_t codes = 0;
      for (size_t length = 1; length <= 16; ++length) codes += byte(table + length);
      if (codes > 256) return false;
      table += 17 + codes;
    }
  }
  return true;
}

// Whether a PNG's chunks would lead stb_image 2.27 astray, so that the file is refused before
// the decoder sees it:
// - It copies each data chunk onto the data gathered so far. Before the first non-empty chunk
//   nothing has been gathered, and an empty chunk there becomes a copy of no bytes to a null
//   pointer, which C leaves undefined. Encoders never write such a chunk.
// - It grows the gathered data to a chunk's stated length before it finds that the file holds
//   fewer bytes, up to 2 GiB for a few bytes of input. A chunk longer than what is left of the
//   file is a cut or damaged file in any case.
bool PngChunksUnsound(const uint8_t* data, size_t size) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < sizeof kSignature || !std::equal(kSignature, kSignature + sizeof kSignature, data)) return false;
  const auto big32 = [data](size_t at) -> size_t {
    return size_t{data[at]} << 24 | size_t{data[at + 1]} << 16 | size_t{data[at + 2]} << 8 | data[at + 3];
  };
  bool data_seen = false;
  for (size_t at = sizeof kSignature; size - at >= 8;) {
    const size_t length = big32(at);
    const uint8_t* type = data + at + 4;
    if (std::equal(type, type + 4, "IEND")) return false;
    // The length and the chunk's CRC must be within the file.
    if (length > size - at - 8 || size - at - 8 - length < 4) return true;
    if (std::equal(type, type + 4, "IDAT")) {
      if (!data_seen && length == 0) return true;
      data_seen = true;
    }
    at += 8 + length + 4;
  }
  return false;
}

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
  // Reading the header takes in the tables that come before the frame, so they are checked first.
  if (!HuffmanTablesFit(bytes, size) || PngChunksUnsound(bytes, size) ||
      stbi_info_from_memory(bytes, length, &width, &height, &channels) == 0 || !PictureSizeAllowed(width, height)) {
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
