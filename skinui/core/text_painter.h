#pragma once
// Text drawn with GDI into the painter's premultiplied buffer. GDI writes no alpha, so the text
// is rendered white on black into a scratch bitmap, and how bright each pixel came out (the
// brightest channel, so that ClearType's coloured fringes count too) becomes a coverage mask
// laid over the buffer in the text's colour.
#include <windows.h>

#include <cstdint>

#include "skinui/core/geometry.h"
#include "skinui/core/pixel_painter.h"
#include "skinui/core/skin_markup.h"

namespace SkinUI {

// Draws `text` in `font` and the skin colour `argb` (not premultiplied) into `rect`, laid out by
// DrawTextW with `format`: DT_SINGLELINE | DT_VCENTER with DT_LEFT, DT_CENTER or DT_RIGHT, or
// DT_WORDBREAK from the top, with DT_NOPREFIX and DT_END_ELLIPSIS as wanted. Only the part of
// `rect` inside the painter's clip is rendered. False when GDI could not render it.
bool PaintText(PixelPainter& painter, HFONT font, WStringView text, const UiRect& rect, UINT format, uint32_t argb);

// The size that `text` takes in `font` with `format`, lines broken at `max_width` where
// `format` has DT_WORDBREAK. Zero when GDI could not measure it.
UiSize MeasureText(HFONT font, WStringView text, UINT format, int32_t max_width);

// The height of a line of `font` (its ascent and descent), 0 when GDI could not tell.
int32_t FontHeight(HFONT font);

}  // namespace SkinUI
