#pragma once
// How tests show rectangles and sizes when an expectation fails.
#include <ostream>

#include "skinui/core/geometry.h"

namespace SkinUI {

inline void PrintTo(const UiRect& rect, std::ostream* out) {
  *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

inline void PrintTo(const UiSize& size, std::ostream* out) { *out << "{" << size.cx << ", " << size.cy << "}"; }

}  // namespace SkinUI
