#pragma once
// Where the layouts of the toolkit put their children: pure functions from the container's
// rectangle (pixels), its "inset" and its children's declarations (skin lengths, see
// layout_child.h) to each child's rectangle (pixels).
//
// Scaling happens here and nowhere else: fixed sizes, fixed positions, minimum and maximum sizes
// and paddings are multiplied by `scale`; so is the inset of the vertical and horizontal
// layouts, while a plain container and a tab layout apply theirs as written.
//
// The result has one entry per child, in order. A child without an entry takes no space and is
// not moved: an invisible child, or a tab layout's unselected one.
//
// A floating child keeps out of the flow. Its fixed x and y are offsets from the container's own
// top-left corner, before the inset, and it takes its fixed size. (A "pos" with a negative left
// or top gives its right or bottom as the fixed x or y; the skins never write one.)
#include <cstdint>
#include <optional>
#include <vector>

#include "skinui/core/dpi_scale.h"
#include "skinui/core/geometry.h"
#include "skinui/layout/layout_child.h"

namespace SkinUI {

using ChildRects = std::vector<std::optional<UiRect>>;

// The vertical layout stacks its visible non-floating children top to bottom, the horizontal
// one left to right; both follow one rule along their axis:
// - A child's length along the axis is its fixed length or else its content length; a child for
//   which that is 0 stretches. Other lengths are clamped to the minimum and maximum, and a fixed
//   length is kept even when it is larger than the container (a picture strip wider than its
//   window is moved by its rectangle).
// - The stretching children share what the others and all paddings leave (never less than 0)
//   equally, rounded down; the last one takes what remains down to the trailing paddings and
//   lengths of the children after it, so the rounding leftover goes to it. Their lengths are
//   then clamped to their minimum and maximum.
// - Each child starts after the previous child's trailing padding plus its own leading padding;
//   a negative padding pulls it back over its predecessor and shrinks the space it takes.
// - Across the axis a child is as long as its fixed length, capped to the container's inner
//   length less its paddings across, or that whole inner length when it has none; at least its
//   minimum. It starts at the inner edge plus its leading padding across.
ChildRects LayoutVertical(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                          const std::vector<LayoutChild>& children);
ChildRects LayoutHorizontal(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                            const std::vector<LayoutChild>& children);

// A plain container lays every visible non-floating child over its whole inner rectangle, only
// clamped to the child's minimum and maximum size; fixed sizes and paddings play no part.
ChildRects LayoutContainer(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                           const std::vector<LayoutChild>& children);

// A tab layout shows the child at `selected` only (none when it is out of range), whatever that
// child's own visibility says, since selecting it shows it. The child fills the inner rectangle
// less its padding, except along an axis where it has a fixed size, which it takes there.
ChildRects LayoutTab(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                     const std::vector<LayoutChild>& children, int32_t selected);

}  // namespace SkinUI
