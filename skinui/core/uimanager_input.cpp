// Input to the controls: the mouse (hover, press, release and the capture between them), the
// keyboard focus, its way through the controls with Tab, and the keys that go to the focused
// control.
#include "skinui/core/uimanager.h"

#include <algorithm>

#include "skinui/core/accessible_tree.h"

namespace SkinUI {

namespace {

POINT PointFromLParam(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool IsInside(const CControlUI* control, const CControlUI* subtree) {
  for (; control != nullptr; control = control->GetParent()) {
    if (control == subtree) return true;
  }
  return false;
}

}  // namespace

std::vector<CControlUI*> CSkinManagerUI::TabOrder() const {
  std::vector<CControlUI*> order;
  if (m_pRoot == nullptr) return order;
  m_pRoot->VisitTree([&](CControlUI& control) {
    // An unnamed button is a spacer that the skin lays out, nothing a user acts on.
    if (control.TakesTabStop() && !control.GetName().empty() && control.IsEnabled() &&
        control.IsShown()) {
      order.push_back(&control);
    }
  });
  return order;
}

bool CSkinManagerUI::MoveFocus(bool forward) {
  const std::vector<CControlUI*> order = TabOrder();
  if (order.empty()) return false;
  ShowFocusCue(true);
  const size_t count = order.size();
  const auto current = std::find(order.begin(), order.end(), m_pFocus);
  size_t next = forward ? 0 : count - 1;
  if (current != order.end()) {
    const auto at = static_cast<size_t>(current - order.begin());
    next = forward ? (at + 1) % count : (at + count - 1) % count;
  }
  if (order[next] == m_pFocus) return true;
  // The keys come back to the window from a native edit that the focus leaves; an edit that
  // gains the focus takes them over itself.
  if (m_hWnd != nullptr && ::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
  SetFocus(order[next]);
  return true;
}

bool CSkinManagerUI::FocusFirstIn(CControlUI* subtree) {
  for (CControlUI* control : TabOrder()) {
    if (IsInside(control, subtree)) {
      SetFocus(control);
      return true;
    }
  }
  return false;
}

void CSkinManagerUI::ShowFocusCue(bool show) {
  if (m_bFocusCue == show) return;
  m_bFocusCue = show;
  if (m_pFocus != nullptr) m_pFocus->Invalidate();
}

void CSkinManagerUI::SetFocus(CControlUI* control) {
  if (control == m_pFocus) return;
  if (control != nullptr && (control->GetManager() != this || !control->IsVisible() || !control->IsEnabled())) {
    return;
  }
  if (CControlUI* old = m_pFocus) {
    m_pFocus = nullptr;
    old->m_bFocused = false;
    SendEvent(old, EventType::kKillFocus);
    SendNotify(old, L"killfocus");
  }
  // A kill-focus handler may have moved the focus itself or removed the control.
  if (control == nullptr || m_pFocus != nullptr) return;
  m_pFocus = control;
  control->m_bFocused = true;
  NotifyAccessibleEvent(EVENT_OBJECT_FOCUS, control);
  SendEvent(control, EventType::kSetFocus);
  SendNotify(control, L"setfocus");
}

void CSkinManagerUI::SendEvent(CControlUI* control, EventType type, WPARAM wParam, LPARAM lParam) {
  if (control == nullptr) return;
  TEventUI event;
  event.type = type;
  event.sender = control;
  event.timestamp = GetTickCount();
  event.mousePoint = m_ptLastMouse;
  event.wParam = wParam;
  event.lParam = lParam;
  control->DoEvent(event);
}

void CSkinManagerUI::OnMouseMove(POINT point) {
  m_ptLastMouse = point;
  CControlUI* hover = FindControl(point);
  if (hover != nullptr && !hover->IsEnabled()) hover = nullptr;
  if (hover != m_pHover) {
    CControlUI* old = m_pHover;
    m_pHover = hover;
    SendEvent(old, EventType::kMouseLeave);
    SendEvent(m_pHover, EventType::kMouseEnter);
  }
  SendEvent(m_pEventClick != nullptr ? m_pEventClick : m_pHover, EventType::kMouseMove);
}

void CSkinManagerUI::OnButtonDown(POINT point, bool double_click) {
  m_ptLastMouse = point;
  ShowFocusCue(false);
  CControlUI* control = FindControl(point);
  if (control == nullptr || !control->IsEnabled()) {
    SetFocus(nullptr);
    return;
  }
  SetFocus(control);
  // The focus handlers may have removed the control.
  if (FindControl(point) != control) return;
  m_pEventClick = control;
  if (m_hWnd != nullptr) SetCapture(m_hWnd);
  SendEvent(control, double_click ? EventType::kDoubleClick : EventType::kButtonDown);
}

void CSkinManagerUI::OnButtonUp(POINT point) {
  m_ptLastMouse = point;
  // Taken before the capture goes, so that losing the capture does not end the press twice.
  CControlUI* control = m_pEventClick;
  m_pEventClick = nullptr;
  if (m_hWnd != nullptr && GetCapture() == m_hWnd) ReleaseCapture();
  // Last: a click may close the window, and this manager with it.
  SendEvent(control, EventType::kButtonUp);
}

void CSkinManagerUI::ForgetInputTarget(CControlUI* control) {
  if (m_pFocus == control) m_pFocus = nullptr;
  if (m_pHover == control) m_pHover = nullptr;
  if (m_pEventClick == control) m_pEventClick = nullptr;
}

bool CSkinManagerUI::HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      if (!m_bMouseTracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_hWnd, 0};
        m_bMouseTracking = TrackMouseEvent(&track) != FALSE;
      }
      OnMouseMove(PointFromLParam(lParam));
      return true;
    }
    case WM_MOUSELEAVE: {
      m_bMouseTracking = false;
      if (m_pEventClick == nullptr) {
        CControlUI* old = m_pHover;
        m_pHover = nullptr;
        SendEvent(old, EventType::kMouseLeave);
      }
      return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(m_hWnd);
      OnButtonDown(PointFromLParam(lParam), message == WM_LBUTTONDBLCLK);
      return true;
    case WM_LBUTTONUP:
      OnButtonUp(PointFromLParam(lParam));
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != m_hWnd && m_pEventClick != nullptr) {
        // Capture taken by someone else: the press is over, without a release over the control.
        CControlUI* control = m_pEventClick;
        m_pEventClick = nullptr;
        const POINT outside{-1, -1};
        m_ptLastMouse = outside;
        SendEvent(control, EventType::kButtonUp);
      }
      return false;
    case WM_KEYDOWN:
      if (wParam == VK_TAB) return MoveFocus(GetKeyState(VK_SHIFT) >= 0);
      ShowFocusCue(true);
      if (m_pFocus == nullptr) return false;
      SendEvent(m_pFocus, EventType::kKeyDown, wParam, lParam);
      return true;
    case WM_CHAR:
      if (m_pFocus == nullptr) return false;
      SendEvent(m_pFocus, EventType::kChar, wParam, lParam);
      return true;
    default:
      return false;
  }
}

}  // namespace SkinUI
