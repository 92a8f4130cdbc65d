#include "skinui/control/uibutton.h"

#include "skinui/core/paint_context.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

namespace {

// The focus mark: a line this wide, this far inside the button's edge (skin lengths).
constexpr int kFocusMarkWidth = 1;
constexpr int kFocusMarkInset = 2;

}  // namespace

CButtonUI::CButtonUI() { m_align = HorizontalAlign::kCenter; }

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

void CButtonUI::SetEnabled(bool enabled) {
  if (!enabled) {
    m_bHot = false;
    m_bPushed = false;
  }
  CLabelUI::SetEnabled(enabled);
}

const ControlAttributes& CButtonUI::Attributes() {
  static const ControlAttributeTable<CButtonUI> table(
      {
          {L"normalimage", [](CButtonUI& button, WStringView value) { button.m_sNormalImage = CSkinString(value); }},
          {L"hotimage", [](CButtonUI& button, WStringView value) { button.m_sHotImage = CSkinString(value); }},
          {L"pushedimage", [](CButtonUI& button, WStringView value) { button.m_sPushedImage = CSkinString(value); }},
          {L"hotbkcolor", [](CButtonUI& button, WStringView value) { button.m_dwHotBkColor = ParseColor(value); }},
      },
      &CLabelUI::Attributes());
  return table;
}

bool CButtonUI::Activate() {
  if (!IsVisible() || !IsEnabled() || m_pManager == nullptr) return false;
  m_pManager->SendNotify(this, L"click");
  return true;
}

void CButtonUI::SetHot(bool hot) {
  if (m_bHot == hot) return;
  m_bHot = hot;
  Invalidate();
}

void CButtonUI::DoEvent(TEventUI& event) {
  if (!IsEnabled()) {
    CLabelUI::DoEvent(event);
    return;
  }
  switch (event.type) {
    case EventType::kMouseEnter:
      SetHot(true);
      return;
    case EventType::kMouseLeave:
      SetHot(false);
      return;
    case EventType::kButtonDown:
    case EventType::kDoubleClick:
      if (PointIn(m_rcItem, event.mousePoint)) {
        m_bPushed = true;
        Invalidate();
      }
      return;
    case EventType::kMouseMove:
      // While pressed, the button looks pressed only with the mouse over it.
      if (m_bPushed) SetHot(PointIn(m_rcItem, event.mousePoint));
      return;
    case EventType::kButtonUp:
      if (m_bPushed) {
        m_bPushed = false;
        Invalidate();
        if (PointIn(m_rcItem, event.mousePoint)) Activate();
      }
      return;
    case EventType::kKeyDown:
      if (m_bKeyboardEnabled && (event.wParam == VK_SPACE || event.wParam == VK_RETURN)) {
        Activate();
        return;
      }
      break;
    case EventType::kSetFocus:
    case EventType::kKillFocus:
      Invalidate();
      return;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

void CButtonUI::PaintBkColor(PaintContext& context) {
  if (m_bHot && !m_bPushed && m_dwHotBkColor != 0) {
    context.FillColor(m_rcItem, m_dwHotBkColor);
  } else {
    CLabelUI::PaintBkColor(context);
  }
}

void CButtonUI::PaintStatusImage(PaintContext& context) {
  const CSkinString* picture = &m_sNormalImage;
  if (m_bPushed && m_bHot) {
    picture = &m_sPushedImage;
  } else if (m_bHot) {
    picture = &m_sHotImage;
  }
  if (picture->empty()) picture = &m_sNormalImage;
  if (!picture->empty()) context.DrawPicture(m_rcItem, *picture);
}

void CButtonUI::PaintBorder(PaintContext& context) {
  CLabelUI::PaintBorder(context);
  if (!m_bFocused || m_pManager == nullptr || !m_pManager->IsFocusCueShown()) return;
  RECT mark = m_rcItem;
  InflateRect(&mark, -Scale(kFocusMarkInset), -Scale(kFocusMarkInset));
  if (mark.right <= mark.left || mark.bottom <= mark.top) return;
  // In the colour of the button's own text, which the skin already chose to stand out on it.
  context.DrawBorder(mark, Scale(kFocusMarkWidth), m_dwFocusBorderColor != 0 ? m_dwFocusBorderColor : TextColor());
}

}  // namespace SkinUI
