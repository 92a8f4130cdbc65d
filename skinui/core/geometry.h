#pragma once
// Rectangles and sizes of the toolkit's portable code, in pixels: the same fields as the
// platform's RECT and SIZE, so that the window layer converts without thinking.
#include <algorithm>
#include <cstdint>
#include <limits>

namespace SkinUI {

struct UiRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const UiRect& a, const UiRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend bool operator!=(const UiRect& a, const UiRect& b) { return !(a == b); }
};

struct UiSize {
  int32_t cx = 0;
  int32_t cy = 0;
  friend bool operator==(const UiSize& a, const UiSize& b) { return a.cx == b.cx && a.cy == b.cy; }
  friend bool operator!=(const UiSize& a, const UiSize& b) { return !(a == b); }
};

// Arithmetic on coordinates is done in 64 bits; this brings a result back into 32 bits, the
// nearest representable value where it does not fit.
inline int32_t SaturateToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

}  // namespace SkinUI
