#include "skinui/utils/tooltip_placement.h"

#include <algorithm>

namespace SkinUI {

namespace {

// The start of a span of `length` that wants to begin at `wanted` and must stay within
// [low, high); the low edge wins when the span does not fit at all.
int64_t KeepWithin(int64_t wanted, int64_t length, int64_t low, int64_t high) {
  return std::max(low, std::min(wanted, high - length));
}

}  // namespace

UiRect PlaceToolTip(int32_t pointer_x, int32_t pointer_y, UiSize tip, int32_t below, const UiRect& work_area) {
  const int64_t width = std::max<int32_t>(tip.cx, 0);
  const int64_t height = std::max<int32_t>(tip.cy, 0);
  const int64_t left = KeepWithin(pointer_x, width, work_area.left, work_area.right);
  int64_t top = int64_t{pointer_y} + below;
  // Below the pointer it would be cut off: above it, where the pointer does not cover it either.
  if (top + height > work_area.bottom) top = int64_t{pointer_y} - height;
  top = KeepWithin(top, height, work_area.top, work_area.bottom);
  return {SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(left + width), SaturateToInt32(top + height)};
}

}  // namespace SkinUI
