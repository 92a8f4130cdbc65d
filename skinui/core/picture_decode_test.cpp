#include "skinui/core/picture_decode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

using SkinUI::DecodedPicture;
using SkinUI::DecodePicture;
using Pixels = std::vector<uint8_t>;

void Collect(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// `samples` holds width x height pixels of `channels` bytes each (grey, grey and alpha, RGB or
// RGBA), rows top to bottom.
std::string Png(int width, int height, int channels, const Pixels& samples) {
  std::string file;
  stbi_write_png_to_func(Collect, &file, width, height, channels, samples.data(), width * channels);
  return file;
}

std::string Jpeg(int width, int height, const Pixels& rgb) {
  std::string file;
  stbi_write_jpg_to_func(Collect, &file, width, height, 3, rgb.data(), 100);
  return file;
}

std::string Bmp(int width, int height, const Pixels& rgb) {
  std::string file;
  stbi_write_bmp_to_func(Collect, &file, width, height, 3, rgb.data());
  return file;
}

void PutBig32(std::string* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

std::string Chunk(const std::string& type, const std::string& data) {
  std::string chunk;
  PutBig32(&chunk, static_cast<uint32_t>(data.size()));
  const std::string body = type + data;
  chunk += body;
  PutBig32(&chunk, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()),
                                               static_cast<uInt>(body.size()))));
  return chunk;
}

std::string GreyHeader(uint32_t width, uint32_t height) {
  std::string header;
  PutBig32(&header, width);
  PutBig32(&header, height);
  header += std::string("\x08\x00\x00\x00\x00", 5);  // 8 bits of grey, no interlacing
  return "\x89PNG\r\n\x1A\n" + Chunk("IHDR", header);
}

// A black grey-scale PNG of any size, compressed quickly; large ones stay small as files.
std::string BlackPng(uint32_t width, uint32_t height) {
  const std::string rows(static_cast<size_t>(width + 1) * height, '\0');  // each row: filter 0, then zeros
  std::string packed(compressBound(static_cast<uLong>(rows.size())), '\0');
  uLongf packed_size = static_cast<uLongf>(packed.size());
  compress2(reinterpret_cast<Bytef*>(&packed[0]), &packed_size, reinterpret_cast<const Bytef*>(rows.data()),
            static_cast<uLong>(rows.size()), Z_BEST_SPEED);
  packed.resize(packed_size);
  return GreyHeader(width, height) + Chunk("IDAT", packed) + Chunk("IEND", "");
}

Pixels PixelsOf(const DecodedPicture& picture) {
  return Pixels(picture.pixels.get(), picture.pixels.get() + static_cast<size_t>(picture.width) * picture.height * 4);
}

struct PixelCase {
  const char* what;
  int channels;
  Pixels sample;
  Pixels bgra;
  bool has_transparency;
};

TEST(PictureDecodeTest, PixelsComeOutAsPremultipliedBgra) {
  const PixelCase kCases[] = {
      {"opaque", 4, {10, 20, 30, 255}, {30, 20, 10, 255}, false},
      {"half transparent, rounded", 4, {255, 1, 3, 128}, {2, 1, 128, 128}, true},
      {"half transparent", 4, {200, 100, 50, 128}, {25, 50, 100, 128}, true},
      {"nearly opaque", 4, {255, 255, 255, 254}, {254, 254, 254, 254}, true},
      {"fully transparent", 4, {10, 20, 30, 0}, {0, 0, 0, 0}, true},
      {"rgb", 3, {10, 20, 30}, {30, 20, 10, 255}, false},
      {"grey", 1, {77}, {77, 77, 77, 255}, false},
      {"grey and alpha", 2, {200, 51}, {40, 40, 40, 51}, true},
  };
  for (const PixelCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::string png = Png(1, 1, c.channels, c.sample);
    DecodedPicture picture;
    ASSERT_TRUE(DecodePicture(png.data(), png.size(), &picture));
    EXPECT_EQ(picture.width, 1);
    EXPECT_EQ(picture.height, 1);
    EXPECT_EQ(PixelsOf(picture), c.bgra);
    EXPECT_EQ(picture.has_transparency, c.has_transparency);
  }
}

TEST(PictureDecodeTest, RowsRunTopToBottom) {
  const Pixels rgba = {
      1, 0, 0, 255, 2, 0, 0, 255, 3, 0, 0, 255,  // top row
      4, 0, 0, 255, 5, 0, 0, 255, 6, 0, 0, 0,    // bottom row, its last pixel transparent
  };
  const std::string png = Png(3, 2, 4, rgba);
  DecodedPicture picture;
  ASSERT_TRUE(DecodePicture(png.data(), png.size(), &picture));
  EXPECT_EQ(picture.width, 3);
  EXPECT_EQ(picture.height, 2);
  EXPECT_EQ(PixelsOf(picture), (Pixels{0, 0, 1, 255, 0, 0, 2, 255, 0, 0, 3, 255,  //
                                       0, 0, 4, 255, 0, 0, 5, 255, 0, 0, 0, 0}));
  EXPECT_TRUE(picture.has_transparency);
}

TEST(PictureDecodeTest, JpegIsOpaque) {
  const Pixels rgb(8 * 8 * 3, 0);
  const std::string jpeg = Jpeg(8, 8, rgb);
  DecodedPicture picture;
  ASSERT_TRUE(DecodePicture(jpeg.data(), jpeg.size(), &picture));
  EXPECT_EQ(picture.width, 8);
  EXPECT_EQ(picture.height, 8);
  EXPECT_FALSE(picture.has_transparency);
  const Pixels pixels = PixelsOf(picture);
  for (size_t i = 0; i < pixels.size(); i += 4) {
    EXPECT_LE(pixels[i], 2);
    EXPECT_EQ(pixels[i + 3], 255);
  }
}

// `jpeg` with its first Huffman table declaring 300 codes of 15 and 16 bits, more than the
// 256 byte values that a table can give codes to.
std::string WithOversizeHuffmanTable(std::string jpeg) {
  const size_t counts = jpeg.find("\xFF\xC4") + 5;  // after the marker, the length and the table's class
  for (size_t length = 0; length < 16; ++length) jpeg[counts + length] = 0;
  jpeg[counts + 14] = static_cast<char>(150);
  jpeg[counts + 15] = static_cast<char>(150);
  return jpeg;
}

TEST(PictureDecodeTest, RefusesWhatIsNoWholePicture) {
  const std::string png = Png(4, 4, 4, Pixels(4 * 4 * 4, 200));
  const std::string jpeg = Jpeg(8, 8, Pixels(8 * 8 * 3, 90));
  const struct {
    const char* what;
    std::string bytes;
  } kCases[] = {
      {"nothing", ""},
      {"text", "<Window/>"},
      {"PNG signature only", png.substr(0, 8)},
      {"PNG cut in its header", png.substr(0, 20)},
      {"PNG cut in its data", png.substr(0, png.size() - 20)},
      {"PNG without data", GreyHeader(4, 4) + Chunk("IEND", "")},
      {"PNG of zero width", BlackPng(0, 4)},
      {"PNG whose data starts with an empty chunk",
       GreyHeader(1, 1) + Chunk("IDAT", "") + BlackPng(1, 1).substr(GreyHeader(1, 1).size())},
      {"JPEG cut before its frame", jpeg.substr(0, 20)},
      {"JPEG Huffman table of more than 256 codes", WithOversizeHuffmanTable(jpeg)},
      {"BMP, a format skins do not use", Bmp(2, 2, Pixels(2 * 2 * 3, 9))},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    DecodedPicture picture;
    picture.width = -1;
    EXPECT_FALSE(DecodePicture(c.bytes.data(), c.bytes.size(), &picture));
    EXPECT_EQ(picture.width, -1);
    EXPECT_EQ(picture.pixels, nullptr);
  }
}

TEST(PictureDecodeTest, SizeLimits) {
  const struct {
    int64_t width;
    int64_t height;
    bool allowed;
  } kCases[] = {
      {1, 1, true},
      {12000, 600, true},
      {16384, 4096, true},
      {4096, 16384, true},
      {16384, 4097, false},
      {16385, 1, false},
      {1, 16385, false},
      {0, 1, false},
      {1, -1, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    EXPECT_EQ(SkinUI::PictureSizeAllowed(c.width, c.height), c.allowed);
  }
}

TEST(PictureDecodeTest, LargePicturesAreJudgedByTheirHeader) {
  const struct {
    const char* what;
    std::string bytes;
    bool decoded;
  } kCases[] = {
      {"the widest strip", BlackPng(12000, 600), true},
      {"the widest row", BlackPng(16384, 1), true},
      {"a row too wide", BlackPng(16385, 1), false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    DecodedPicture picture;
    EXPECT_EQ(DecodePicture(c.bytes.data(), c.bytes.size(), &picture), c.decoded);
  }
}

}  // namespace
