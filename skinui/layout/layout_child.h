#pragma once
// How a control presents itself to the layout of its parent. Everything a control reads from
// its attributes is kept as written in the skin, in lengths for 100 percent display scale; only
// `content_size` is in pixels, because the control measures it with its already scaled font.
// The layouts scale what they read (layout_arithmetic.h), so no caller scales a declaration.
#include <cstdint>

#include "skinui/core/dpi_scale.h"
#include "skinui/core/geometry.h"

namespace SkinUI {

// Every coordinate and length a layout produces lies within plus or minus 2^30 - 1 pixels, far
// beyond any screen: hostile skin values (a width of 2^31 - 1, thousands of children) then end
// up at this edge instead of overflowing, and the Width() and Height() of any rectangle a
// layout hands out, up to 2^31 - 2, still fit into 32 bits.
constexpr int32_t kLayoutLimit = (1 << 30) - 1;

int32_t ClampToLayoutLimit(int64_t value);

struct LayoutChild {
  bool visible = true;
  bool floating = false;         // "float": placed by its fixed position, outside the flow
  UiSize fixed_size;             // "width" and "height"; 0 means not fixed
  int32_t fixed_x = 0;           // from "pos": left edge, or right edge when negative
  int32_t fixed_y = 0;           // from "pos": top edge, or bottom edge when negative
  UiSize min_size;
  UiSize max_size{9999, 9999};
  UiRect padding;                // outer margins; negative ones pull the child over its neighbours
  UiSize content_size;           // pixels the content needs where no size is fixed; 0 stretches

  // The attributes that change the above, applied in document order so that a later one
  // overrides an earlier one.
  // "width" and "height": a negative value is ignored.
  void SetWidth(int32_t width);
  void SetHeight(int32_t height);
  // "pos": the fixed position is the left edge, or the right edge when the left one is negative
  // (and the top edge, or the bottom edge when the top one is negative); the fixed size is
  // right - left and bottom - top, each ignored when negative, as "width" and "height" are,
  // and taken as the layout limit when larger.
  void SetPos(const UiRect& pos);
};

// What a label measures of itself: one line of text, the font's height (in pixels) plus 8 plus
// its top and bottom text padding high; as wide as its text plus its left and right text padding
// with "autocalcwidth" and otherwise 0, so that its width stretches. The text padding is in skin
// lengths and is scaled here; the 8 pixels of line spacing are not.
UiSize LabelContentSize(int32_t font_height, int32_t text_width, bool autocalcwidth,
                        const UiRect& text_padding, const DpiScale& scale);

}  // namespace SkinUI
