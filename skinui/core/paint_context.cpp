#include "skinui/core/paint_context.h"

#include <optional>

#include "skinui/core/nine_grid.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/text_painter.h"

namespace SkinUI {

namespace {

// A rectangle the description did not give is all zero.
std::optional<UiRect> Given(const UiRect& rect) {
  return rect == UiRect{} ? std::nullopt : std::optional<UiRect>(rect);
}

}  // namespace

PaintContext::PaintContext(const PaintSources& sources, const PixelView& target, const RECT& paint_area)
    : m_sources(sources), m_painter(target), m_paintArea(paint_area), m_paintClip(m_painter, ToUiRect(paint_area)) {}

bool PaintContext::Intersects(const RECT& rect) const {
  RECT meeting{};
  return IntersectRect(&meeting, &rect, &m_paintArea) != FALSE;
}

void PaintContext::FillColor(const RECT& rect, DWORD argb) { m_painter.FillColor(ToUiRect(rect), argb); }

void PaintContext::DrawBorder(const RECT& rect, int width, DWORD argb) {
  m_painter.DrawBorder(ToUiRect(rect), width, argb);
}

bool PaintContext::DrawPicture(const RECT& control, const CSkinString& description) {
  PictureCache& pictures = m_sources.pictures;
  const PictureDescription& picture_description = pictures.Describe(description, m_sources.scale_percent);
  const DecodedPicture* picture = pictures.Get(picture_description.file);
  if (picture == nullptr) return false;
  const UiRect source = PictureSource({picture->width, picture->height}, Given(picture_description.source));
  const UiRect dest = PictureDestination(ToUiRect(control), Given(picture_description.dest));
  const bool blend = picture->has_transparency || m_sources.layered || picture_description.fade < 255;
  PixelPainter::ClipScope clip(m_painter, ToUiRect(control));
  const bool stretched = source.Width() != dest.Width() || source.Height() != dest.Height();
  const PixelBuffer* scaled =
      stretched && !dest.IsEmpty()
          ? pictures.Scaled(picture_description.file, *picture, source, picture_description.corner,
                            {dest.Width(), dest.Height()})
          : nullptr;
  if (scaled != nullptr) {
    m_painter.DrawPicture(scaled->View(), {0, 0, scaled->Width(), scaled->Height()}, dest, {},
                          picture_description.fade, blend);
  } else {
    m_painter.DrawPicture(PictureView(*picture), source, dest, picture_description.corner,
                          picture_description.fade, blend);
  }
  return true;
}

void PaintContext::DrawText(const RECT& rect, const CSkinString& text, int font_id, DWORD argb, UINT format) {
  PixelPainter::ClipScope clip(m_painter, ToUiRect(rect));
  PaintText(m_painter, m_sources.fonts.Get(font_id).Handle(), text, ToUiRect(rect), format, argb);
}

}  // namespace SkinUI
