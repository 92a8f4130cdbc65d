#pragma once
// The frame every paint of a window draws into: a top-down 32-bit DIB section selected into a
// memory DC, kept between paints while the window's size stays.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "common/scoped_handle.h"
#include "skinui/core/dib_section.h"

namespace SkinUI {

struct OffscreenFrame {
  ScopedMemoryDc dc;
  ScopedGdiObject bitmap;
  HGDIOBJ previous = nullptr;
  uint32_t* pixels = nullptr;
  SIZE size{};

  ~OffscreenFrame() {
    if (dc && previous != nullptr) SelectObject(dc.Get(), previous);
  }

  static std::unique_ptr<OffscreenFrame> Create(SIZE size) {
    auto frame = std::make_unique<OffscreenFrame>();
    frame->bitmap = CreateTopDownDib(size.cx, size.cy, &frame->pixels);
    frame->dc.Reset(CreateCompatibleDC(nullptr));
    if (!frame->dc || frame->pixels == nullptr) return nullptr;
    frame->previous = SelectObject(frame->dc.Get(), frame->bitmap.Get());
    frame->size = size;
    return frame;
  }
};

}  // namespace SkinUI
