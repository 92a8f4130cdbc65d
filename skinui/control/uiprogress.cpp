#include "skinui/control/uiprogress.h"

#include "skinui/core/accessible_tree.h"
#include "skinui/core/nine_grid.h"
#include "skinui/core/paint_context.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

namespace {

constexpr int kSliderDefaultHeight = 12;
// Tells the value that the throttle held back.
constexpr UINT kValueEventTimer = 1;

}  // namespace

CProgressUI::CProgressUI() { m_align = HorizontalAlign::kCenter; }

const wchar_t* CProgressUI::GetClass() const { return L"ProgressUI"; }

void CProgressUI::SetMinValue(int min) {
  m_nMin = min;
  Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
  m_nMax = max;
  Invalidate();
}

void CProgressUI::SetValue(int value) {
  if (m_nValue == value) return;
  m_nValue = value;
  Invalidate();
  const ValueChangeThrottle::Decision decision = m_valueEvents.Changed(GetTickCount(), m_nValue >= m_nMax);
  if (decision.report_now) {
    if (m_pManager != nullptr) m_pManager->KillTimer(this, kValueEventTimer);
    NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, this);
  } else if (m_pManager != nullptr) {
    m_pManager->SetTimer(this, kValueEventTimer, decision.wait_ms);
  }
}

void CProgressUI::DoEvent(TEventUI& event) {
  if (event.type == EventType::kTimer && event.wParam == kValueEventTimer) {
    m_pManager->KillTimer(this, kValueEventTimer);
    if (m_valueEvents.TakePending(GetTickCount())) NotifyAccessibleEvent(EVENT_OBJECT_VALUECHANGE, this);
    return;
  }
  CLabelUI::DoEvent(event);
}

const ControlAttributes& CProgressUI::Attributes() {
  static const ControlAttributeTable<CProgressUI> table(
      {
          {L"min", [](CProgressUI& progress, WStringView value) { progress.SetMinValue(ParseInteger(value)); }},
          {L"max", [](CProgressUI& progress, WStringView value) { progress.SetMaxValue(ParseInteger(value)); }},
          {L"value", [](CProgressUI& progress, WStringView value) { progress.SetValue(ParseInteger(value)); }},
      },
      &CLabelUI::Attributes());
  return table;
}

void CProgressUI::PaintForeImage(PaintContext& context) {
  if (m_sForeImage.empty()) return;
  const RECT filled = ToRECT(ProgressFillRect(ToUiRect(m_rcItem), m_nValue, m_nMin, m_nMax));
  if (filled.right > filled.left) context.DrawPicture(filled, m_sForeImage);
}

CSliderUI::CSliderUI() { m_layout.SetHeight(kSliderDefaultHeight); }

const wchar_t* CSliderUI::GetClass() const { return L"SliderUI"; }

}  // namespace SkinUI
