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

void CLabelUI::SetAttribute(WStringView name, WStringView value) {
  if (NameEquals(name, L"font")) {
    SetFont(ParseInteger(value));
  } else if (NameEquals(name, L"textcolor")) {
    m_dwTextColor = ParseColor(value);
  } else if (NameEquals(name, L"align")) {
    m_align = ParseAlign(value, m_align);
  } else if (NameEquals(name, L"textpadding")) {
    m_rcTextPadding = ToRECT(ParseRect(value));
    NeedParentUpdate();
  } else if (NameEquals(name, L"autocalcwidth")) {
    m_bAutoCalcWidth = ParseBool(value);
    NeedParentUpdate();
  } else {
    CControlUI::SetAttribute(name, value);
  }
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
