#include "skinui/utils/uitooltip.h"

#include <algorithm>

#include "skinui/control/uicontrol.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/uimanager.h"
#include "skinui/utils/tooltip_placement.h"

namespace SkinUI {

namespace {

constexpr UINT_PTR kRestTimerId = 1;
// Text margins inside the one-pixel border, at 100 percent.
constexpr int kTextMarginX = 4;
constexpr int kTextMarginY = 2;
constexpr UINT kTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_VCENTER;

bool RegisterToolTipClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  // The system keeps what the tip covers, so that the window below need not repaint when it goes.
  window_class.style = CS_SAVEBITS | CS_DROPSHADOW;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = CToolTipUI::kWindowClassName;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HFONT CreateSystemToolTipFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
  // The status font is the one the system gives its own tooltips.
  return CreateFontIndirectW(&metrics.lfStatusFont);
}

POINT PointFromLParam(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

CToolTipUI::CToolTipUI(CSkinManagerUI& manager) : m_manager(manager) {}

CToolTipUI::~CToolTipUI() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

void CToolTipUI::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnPointerMove(PointFromLParam(lParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
      Hide();
      m_bDismissed = true;
      break;
    case WM_MOUSELEAVE:
      // Onto a window laid over one of the controls (an open edit): that window reports the
      // pointer from now on, and may have done so already.
      if (PointerOverOwnWindow()) break;
      Reset();
      break;
    case WM_CANCELMODE:
    case WM_DESTROY:
      Reset();
      break;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) Reset();
      break;
    case WM_ACTIVATEAPP:
    case WM_SHOWWINDOW:
      if (wParam == FALSE) Reset();
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) Reset();
      break;
    default:
      break;
  }
}

bool CToolTipUI::PointerOverOwnWindow() const {
  POINT pointer{};
  if (!GetCursorPos(&pointer)) return false;
  const HWND under = WindowFromPoint(pointer);
  const HWND window = m_manager.GetPaintWindow();
  return under != nullptr && under != window && under != m_hWnd &&
         (GetParent(under) == window || GetWindow(under, GW_OWNER) == window);
}

void CToolTipUI::OnToolTipChanged(CControlUI* control) {
  if (control == m_pControl && m_bShown) Show();
}

void CToolTipUI::Forget(CControlUI* control) {
  if (control == m_pControl) Reset();
}

CControlUI* CToolTipUI::ToolTipOwnerAt(POINT client_point) const {
  for (CControlUI* control = m_manager.FindControl(client_point); control != nullptr; control = control->GetParent()) {
    if (!control->IsEnabled()) return nullptr;
    if (!control->GetToolTip().empty()) return control;
  }
  return nullptr;
}

void CToolTipUI::OnPointerMove(POINT client_point) {
  CControlUI* control = ToolTipOwnerAt(client_point);
  if (control != m_pControl) {
    Reset();
    m_pControl = control;
  }
  // A tip that shows stays where it is while the pointer moves over its control.
  if (m_pControl == nullptr || m_bDismissed || m_bShown || !EnsureWindow()) return;
  m_ptRest = client_point;
  ClientToScreen(m_manager.GetPaintWindow(), &m_ptRest);
  // Every move starts the rest anew.
  SetTimer(m_hWnd, kRestTimerId, kRestMilliseconds, nullptr);
}

bool CToolTipUI::EnsureWindow() {
  if (m_hWnd != nullptr) return true;
  const HINSTANCE instance = CSkinManagerUI::GetInstance() != nullptr ? CSkinManagerUI::GetInstance()
                                                                       : GetModuleHandleW(nullptr);
  if (!RegisterToolTipClass(instance, &CToolTipUI::WindowProc)) return false;
  // Click-through, never active and above everything, like the system's own tips; it has no
  // owner, so that it never takes part in the window's activation.
  m_hWnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kWindowClassName, nullptr, WS_POPUP,
                           0, 0, 0, 0, nullptr, nullptr, instance, this);
  if (m_hWnd == nullptr) return false;
  m_font.Reset(CreateSystemToolTipFont());
  const ScopedGetDc screen(nullptr);
  if (screen.Get() != nullptr) m_nScreenDpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  return true;
}

int CToolTipUI::ScreenScaled(int length) const { return MulDiv(length, m_nScreenDpi, 96); }

void CToolTipUI::Show() {
  KillTimer(m_hWnd, kRestTimerId);
  const CSkinString text = m_pControl != nullptr ? m_pControl->GetToolTip() : CSkinString();
  if (text.empty()) {
    Hide();
    return;
  }
  SetWindowTextW(m_hWnd, text.c_str());
  RECT text_rect{};
  {
    const ScopedGetDc dc(m_hWnd);
    const ScopedSelection font(dc.Get(), m_font ? m_font.Get() : GetStockObject(DEFAULT_GUI_FONT));
    // Measured without the vertical centring, which would centre the measure on the empty rectangle.
    DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &text_rect,
              (kTextFormat & ~DT_VCENTER) | DT_CALCRECT);
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromPoint(m_ptRest, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const UiSize size{std::min<LONG>(text_rect.right - text_rect.left + 2 * (ScreenScaled(kTextMarginX) + 1),
                                   work.right - work.left),
                    text_rect.bottom - text_rect.top + 2 * (ScreenScaled(kTextMarginY) + 1)};
  const UiRect place = PlaceToolTip(m_ptRest.x, m_ptRest.y, size, ScreenScaled(kBelowPointer), ToUiRect(work));
  SetWindowPos(m_hWnd, HWND_TOPMOST, place.left, place.top, place.Width(), place.Height(),
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(m_hWnd, nullptr, TRUE);
  m_bShown = true;
}

void CToolTipUI::Hide() {
  if (m_hWnd == nullptr) return;
  KillTimer(m_hWnd, kRestTimerId);
  if (m_bShown) ShowWindow(m_hWnd, SW_HIDE);
  m_bShown = false;
}

void CToolTipUI::Reset() {
  Hide();
  m_pControl = nullptr;
  m_bDismissed = false;
}

void CToolTipUI::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(m_hWnd, &paint);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
  FrameRect(dc, &client, GetSysColorBrush(COLOR_INFOTEXT));
  const int text_length = GetWindowTextLengthW(m_hWnd);
  CSkinString text(static_cast<size_t>(text_length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(m_hWnd, &text[0], text_length + 1)));
  RECT text_rect = client;
  InflateRect(&text_rect, -(ScreenScaled(kTextMarginX) + 1), -(ScreenScaled(kTextMarginY) + 1));
  {
    const ScopedSelection font(dc, m_font ? m_font.Get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    // A text wider than the screen, which the tip could not hold, ends in an ellipsis.
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &text_rect, kTextFormat | DT_END_ELLIPSIS);
  }
  EndPaint(m_hWnd, &paint);
}

LRESULT CALLBACK CToolTipUI::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<CToolTipUI*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    switch (message) {
      case WM_TIMER:
        if (wParam == kRestTimerId) {
          self->Show();
          return 0;
        }
        break;
      case WM_PAINT:
        self->Paint();
        return 0;
      case WM_NCHITTEST:
        // The pointer passes through to the window below.
        return HTTRANSPARENT;
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace SkinUI
