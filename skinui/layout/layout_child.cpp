#include "skinui/layout/layout_child.h"

#include <algorithm>

namespace SkinUI {

namespace {

// A label's line is this much higher than its font, at every display scale.
constexpr int64_t kLabelLineSpacing = 8;

}  // namespace

int32_t ClampToLayoutLimit(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, -kLayoutLimit, kLayoutLimit));
}

void LayoutChild::SetWidth(int32_t width) {
  if (width >= 0) {
    fixed_size.cx = width;
  }
}

void LayoutChild::SetHeight(int32_t height) {
  if (height >= 0) {
    fixed_size.cy = height;
  }
}

void LayoutChild::SetPos(const UiRect& pos) {
  fixed_x = pos.left >= 0 ? pos.left : pos.right;
  fixed_y = pos.top >= 0 ? pos.top : pos.bottom;
  // The difference of two 32-bit edges may not fit into 32 bits.
  SetWidth(ClampToLayoutLimit(int64_t{pos.right} - pos.left));
  SetHeight(ClampToLayoutLimit(int64_t{pos.bottom} - pos.top));
}

UiSize LabelContentSize(int32_t font_height, int32_t text_width, bool autocalcwidth,
                        const UiRect& text_padding, const DpiScale& scale) {
  UiSize size;
  if (autocalcwidth) {
    size.cx = ClampToLayoutLimit(int64_t{text_width} + scale.Scale(text_padding.left) +
                                 scale.Scale(text_padding.right));
  }
  size.cy = ClampToLayoutLimit(int64_t{font_height} + kLabelLineSpacing + scale.Scale(text_padding.top) +
                               scale.Scale(text_padding.bottom));
  return size;
}

}  // namespace SkinUI
