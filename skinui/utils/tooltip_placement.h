#pragma once
// Where a tooltip goes on the screen: just below the pointer, and always whole on the work area
// of the pointer's monitor, even when the pointer rests near its right or bottom edge.
#include <cstdint>

#include "skinui/core/geometry.h"

namespace SkinUI {

// The tip's rectangle in screen coordinates for a tip of `tip` pixels, with the pointer at
// (`pointer_x`, `pointer_y`): its left edge at the pointer and its top `below` pixels under it.
// Where that would run off the right edge it moves left; where it would run off the bottom it
// goes above the pointer instead. A tip larger than the work area keeps the area's top-left
// corner in view.
UiRect PlaceToolTip(int32_t pointer_x, int32_t pointer_y, UiSize tip, int32_t below, const UiRect& work_area);

}  // namespace SkinUI
