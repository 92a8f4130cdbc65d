#pragma once
// The toolkit's one kind of off-screen bitmap: 32 bits a pixel, rows top to bottom, as the
// painter's buffers are laid out, so that its pixels are drawn into directly.
#include <windows.h>

#include <cstdint>

#include "common/scoped_handle.h"

// A width x height DIB section, zeroed; `pixels` receives its bits. Invalid (and `pixels` null)
// when it could not be made.
inline ScopedGdiObject CreateTopDownDib(int width, int height, uint32_t** pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  *pixels = bitmap ? static_cast<uint32_t*>(bits) : nullptr;
  return bitmap;
}
