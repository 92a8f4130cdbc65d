#include "skinui/control/uilabel.h"

#include "skinui/core/paint_context.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/text_painter.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

namespace {

// A text colour of 0 in the skin means the window's default text colour.
constexpr DWORD kDefaultTextColor = 0xFF000000;

UINT AlignFlag(HorizontalAlign align) {
  switch (align) {
    case HorizontalAlign::kCenter:
      return DT_CENTER;
    case HorizontalAlign::kRight:
      return DT_RIGHT;
    case HorizontalAlign::kLeft:
      break;
  }
  return DT_LEFT;
}

}  // namespace

const wchar_t* CLabelUI::GetClass() const { return L"LabelUI"; }

void CLabelUI::SetText(const CSkinString& text) {
  CControlUI::SetText(text);
  if (m_bAutoCalcWidth) NeedParentUpdate();
}

void CLabelUI::SetFont(int font_id) {
  m_iFont = font_id;
  Invalidate();
}

SIZE CLabelUI::EstimateSize(SIZE) {
  if (m_pManager == nullptr) return {0, 0};
  const FontRecord& font = m_pManager->Fonts().Get(m_iFont);
  const int text_width = m_bAutoCalcWidth ? MeasureText(font.Handle(), m_sText, DT_SINGLELINE, 0).cx : 0;
  const UiSize size = LabelContentSize(font.metrics.tmHeight, text_width, m_bAutoCalcWidth,
                                       ToUiRect(m_rcTextPadding), m_pManager->GetDPI().Scaler());
  return {size.cx, size.cy};
}

const ControlAttributes& CLabelUI::Attributes() {
  static const ControlAttributeTable<CLabelUI> table(
      {
          {L"font", [](CLabelUI& label, WStringView value) { label.SetFont(ParseInteger(value)); }},
          {L"textcolor", [](CLabelUI& label, WStringView value) { label.m_dwTextColor = ParseColor(value); }},
          {L"align", [](CLabelUI& label, WStringView value) { label.m_align = ParseAlign(value, label.m_align); }},
          {L"textpadding",
           [](CLabelUI& label, WStringView value) {
             label.m_rcTextPadding = ToRECT(ParseRect(value));
             label.NeedParentUpdate();
           }},
          {L"autocalcwidth",
           [](CLabelUI& label, WStringView value) {
             label.m_bAutoCalcWidth = ParseBool(value);
             label.NeedParentUpdate();
           }},
      },
      &CControlUI::Attributes());
  return table;
}

RECT CLabelUI::TextRect() const {
  const RECT padding = ScaleMargins(m_rcTextPadding);
  return {m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
          m_rcItem.bottom - padding.bottom};
}

DWORD CLabelUI::TextColor() const { return m_dwTextColor != 0 ? m_dwTextColor : kDefaultTextColor; }

UINT CLabelUI::TextFormat() const { return DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignFlag(m_align); }

void CLabelUI::PaintText(PaintContext& context) {
  if (!m_sText.empty()) context.DrawText(TextRect(), m_sText, m_iFont, TextColor(), TextFormat());
}

CTextUI::CTextUI() { m_rcTextPadding = {2, 0, 2, 0}; }

const wchar_t* CTextUI::GetClass() const { return L"TextUI"; }

UINT CTextUI::TextFormat() const { return DT_WORDBREAK | DT_TOP | DT_NOPREFIX | AlignFlag(m_align); }

}  // namespace SkinUI
