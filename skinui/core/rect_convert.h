#pragma once
// The portable rectangles and the platform's RECT hold the same four edges.
#include <windows.h>

#include "skinui/core/geometry.h"

namespace SkinUI {

inline UiRect ToUiRect(const RECT& rect) {
  return {static_cast<int32_t>(rect.left), static_cast<int32_t>(rect.top), static_cast<int32_t>(rect.right),
          static_cast<int32_t>(rect.bottom)};
}

inline RECT ToRECT(const UiRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

inline bool PointIn(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

}  // namespace SkinUI
