#include "skinui/core/text_painter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "common/scoped_handle.h"
#include "skinui/core/dib_section.h"

namespace SkinUI {

namespace {

int TextLength(WStringView text) {
  return static_cast<int>(std::min<size_t>(text.size(), std::numeric_limits<int>::max()));
}

}  // namespace

bool PaintText(PixelPainter& painter, HFONT font, WStringView text, const UiRect& rect, UINT format, uint32_t argb) {
  const UiRect clip = painter.Clip();
  const UiRect visible{std::max(rect.left, clip.left), std::max(rect.top, clip.top), std::min(rect.right, clip.right),
                       std::min(rect.bottom, clip.bottom)};
  if (visible.IsEmpty() || text.empty()) return true;
  const int32_t width = visible.Width();
  const int32_t height = visible.Height();

  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  uint32_t* bits = nullptr;
  ScopedGdiObject bitmap = CreateTopDownDib(width, height, &bits);
  if (bits == nullptr) return false;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::memset(bits, 0, count * sizeof(uint32_t));

  const ScopedSelection bitmap_selection(dc.Get(), bitmap.Get());
  const ScopedSelection font_selection(dc.Get(), font);
  if (!bitmap_selection.IsValid() || !font_selection.IsValid()) return false;
  SetTextColor(dc.Get(), RGB(255, 255, 255));
  SetBkMode(dc.Get(), TRANSPARENT);
  // The layout rectangle is the text's own, moved so that the rendered part starts at the
  // bitmap's corner: the text lands where it would in the whole rectangle.
  RECT layout{SaturateToInt32(int64_t{rect.left} - visible.left), SaturateToInt32(int64_t{rect.top} - visible.top),
              SaturateToInt32(int64_t{rect.right} - visible.left), SaturateToInt32(int64_t{rect.bottom} - visible.top)};
  if (DrawTextW(dc.Get(), text.data(), TextLength(text), &layout, format) == 0) return false;
  GdiFlush();

  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::vector<uint8_t> coverage(count);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t pixel = pixels[i];
    coverage[i] = static_cast<uint8_t>(std::max({pixel & 0xFF, (pixel >> 8) & 0xFF, (pixel >> 16) & 0xFF}));
  }
  painter.BlendCoverage(visible, coverage.data(), width, argb);
  return true;
}

UiSize MeasureText(HFONT font, WStringView text, UINT format, int32_t max_width) {
  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return {};
  const ScopedSelection font_selection(dc.Get(), font);
  if (!font_selection.IsValid()) return {};
  RECT bounds{0, 0, max_width, 0};
  // Placing the text vertically does not change its size, but with DT_CALCRECT Wine moves the
  // text's top by it inside the empty rectangle given, and the height comes out short.
  const UINT measuring = (format & ~static_cast<UINT>(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT;
  if (DrawTextW(dc.Get(), text.data(), TextLength(text), &bounds, measuring) == 0) return {};
  return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

int32_t FontHeight(HFONT font) {
  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return 0;
  const ScopedSelection font_selection(dc.Get(), font);
  TEXTMETRICW metrics{};
  if (!font_selection.IsValid() || !GetTextMetricsW(dc.Get(), &metrics)) return 0;
  return metrics.tmHeight;
}

}  // namespace SkinUI
