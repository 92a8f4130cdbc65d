#pragma once
// Where the parts of a picture go when a control draws it: the source and destination of a
// picture description settled against the picture and the control, the nine-grid split of a
// picture with corner margins, and the filled part of a progress bar. All in pixels, after the
// description's rectangles were scaled.
#include <cstdint>
#include <optional>
#include <vector>

#include "skinui/core/geometry.h"

namespace SkinUI {

// One piece of a picture: the `source` pixels are stretched into `dest`.
struct PicturePart {
  UiRect source;
  UiRect dest;
  friend bool operator==(const PicturePart& a, const PicturePart& b) {
    return a.source == b.source && a.dest == b.dest;
  }
};

// The nine-grid pieces of `source` drawn into `dest` with the margins `corners` (left, top,
// right and bottom strip widths): the four corners keep their size, the edges stretch along
// their edge, the middle stretches both ways. Pieces that are empty in the source or in the
// destination are left out, so margins of 0 give the whole picture as one piece.
// Margins that do not fit are shrunk, never turned negative: a negative margin counts as 0;
// two opposite margins wider than the source together are shrunk in proportion to fit it; and
// when they are wider than the destination, their destination strips are shrunk in proportion
// so the corners meet and the middle is left out (a small control shows scaled-down corners
// rather than overlapping ones). A source that leaves nothing between its margins leaves the
// middle of the destination undrawn: there are no pixels to stretch into it.
// An inverted source or destination (right left of left) counts as empty and gives no piece.
std::vector<PicturePart> NineGridParts(const UiRect& source, const UiRect& dest, const UiRect& corners);

// Where a picture is drawn: `dest` is relative to the control's top-left corner and its right
// and bottom edges are clipped to the control; without `dest` the whole control. The left and
// top edges are not clipped (the painter meets the result with the control's rectangle anyway);
// a right or bottom edge that would lie before the left or top edge is put on it, giving an
// empty rectangle rather than a negative size. Edges beyond 32 bits saturate.
UiRect PictureDestination(const UiRect& control, const std::optional<UiRect>& dest);

// The part of a picture of `picture` pixels that is drawn: `source` clipped to the picture,
// without `source` the whole picture. An empty rectangle when they do not meet.
UiRect PictureSource(const UiSize& picture, const std::optional<UiRect>& source);

// The left part of a progress bar or slider that its foreground picture fills: as wide as
// (value - min) x width / (max - min), rounded down, with `max` taken as `min` + 1 when it is
// not above `min` and `value` clamped into the range. The arithmetic is 64-bit, so no 32-bit
// range, value or width overflows. A control of negative width fills nothing.
UiRect ProgressFillRect(const UiRect& control, int32_t value, int32_t min, int32_t max);

}  // namespace SkinUI
