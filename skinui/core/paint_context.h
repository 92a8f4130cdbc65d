#pragma once
// What a control paints with: one frame of premultiplied 32-bit pixels, the part of it being
// repainted, and the window's pictures and fonts. Every call draws only inside the area being
// painted.
#include <windows.h>

#include "skinui/core/font_registry.h"
#include "skinui/core/picture_cache.h"
#include "skinui/core/pixel_painter.h"
#include "skinui/core/uidefine.h"

namespace SkinUI {

// What a window lends the controls for one paint.
struct PaintSources {
  PictureCache& pictures;
  FontRegistry& fonts;
  int scale_percent;
  // A layered window shows every pixel's alpha, so even opaque pictures are blended.
  bool layered;
};

class PaintContext {
 public:
  PaintContext(const PaintSources& sources, const PixelView& target, const RECT& paint_area);

  const RECT& PaintArea() const { return m_paintArea; }
  bool Intersects(const RECT& rect) const;

  // `argb` as the skin writes colours, 0xAARRGGBB; a colour of alpha 0 draws nothing.
  void FillColor(const RECT& rect, DWORD argb);
  // A frame `width` pixels wide inside `rect`.
  void DrawBorder(const RECT& rect, int width, DWORD argb);
  // A picture description drawn for a control at `control`: only where its destination meets
  // the control. Nothing (and false) when the picture is missing.
  bool DrawPicture(const RECT& control, const CSkinString& description);
  // Text in the font of `font_id` (the default font for an unknown id) with DrawText's format
  // flags, clipped to `rect`.
  void DrawText(const RECT& rect, const CSkinString& text, int font_id, DWORD argb, UINT format);

 private:
  PaintSources m_sources;
  PixelPainter m_painter;
  RECT m_paintArea;
  PixelPainter::ClipScope m_paintClip;
};

}  // namespace SkinUI
