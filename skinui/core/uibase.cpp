#include "skinui/core/uibase.h"

#include <cwctype>

#include "skinui/core/rect_convert.h"
#include "skinui/core/uibuilder.h"

namespace SkinUI {

HWND CNativeWindow::Create(HWND parent, const wchar_t* title, DWORD style, DWORD extended_style, int x, int y,
                           int width, int height, HMENU menu) {
  if (!RegisterWindowClass()) return nullptr;
  return CreateWindowExW(extended_style, GetWindowClassName(), title, style, x, y, width, height, parent, menu,
                         CSkinManagerUI::GetInstance(), this);
}

bool CNativeWindow::RegisterWindowClass() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = GetClassStyle();
  window_class.lpfnWndProc = &CNativeWindow::WindowProc;
  window_class.hInstance = CSkinManagerUI::GetInstance();
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = GetWindowClassName();
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK CNativeWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CNativeWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<CNativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hWnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<CNativeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_CLOSE && self->m_pModalResult != nullptr) {
    // Recorded here rather than in the modal loop: a box opened from inside this one's loop
    // runs a loop of its own, and the close may be dispatched from there.
    *self->m_pModalResult = static_cast<UINT>(wParam);
    self->m_pModalResult = nullptr;
    // The owner comes back before the box goes, so the focus has somewhere to return to.
    if (HWND owner = GetWindow(window, GW_OWNER)) {
      EnableWindow(owner, TRUE);
      ::SetFocus(owner);
    }
  }
  if (message == WM_NCDESTROY) {
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    // May delete the object: nothing of it is touched after this.
    self->OnFinalMessage(window);
    return result;
  }
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT CNativeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CNativeWindow::CenterWindow() {
  if (m_hWnd == nullptr) return;
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  RECT center = work;
  HWND owner = GetWindow(m_hWnd, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &center);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int x = (center.left + center.right) / 2 - width / 2;
  int y = (center.top + center.bottom) / 2 - height / 2;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CNativeWindow::ShowWindow(bool show, bool take_focus) {
  if (m_hWnd == nullptr) return;
  ::ShowWindow(m_hWnd, show ? (take_focus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CNativeWindow::ShowModal() {
  if (m_hWnd == nullptr) return 0;
  HWND window = m_hWnd;
  HWND owner = GetWindow(window, GW_OWNER);
  ::ShowWindow(window, SW_SHOWNORMAL);
  if (owner != nullptr) EnableWindow(owner, FALSE);
  UINT result = 0;
  m_pModalResult = &result;
  bool quit = false;
  WPARAM quit_code = 0;
  MSG msg{};
  while (IsWindow(window)) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      quit = true;
      quit_code = msg.wParam;
      break;
    }
    if (!CSkinManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The window may still be there after a quit message; it must not write to this frame.
  if (IsWindow(window)) m_pModalResult = nullptr;
  if (owner != nullptr) {
    EnableWindow(owner, TRUE);
    ::SetFocus(owner);
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  return result;
}

void CNativeWindow::Close(UINT code) {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) PostMessageW(m_hWnd, WM_CLOSE, code, 0);
}

void CNativeWindow::SetIcon(UINT resource_id) {
  if (m_hWnd == nullptr) return;
  const auto round_up = [](int size) { return (size + 15) / 16 * 16; };
  const int width = round_up(GetSystemMetrics(SM_CXICON));
  const int height = round_up(GetSystemMetrics(SM_CYICON));
  // Shared icons stay loaded for the process; the window does not own them.
  HICON icon = static_cast<HICON>(LoadImageW(CSkinManagerUI::GetInstance(), MAKEINTRESOURCEW(resource_id),
                                             IMAGE_ICON, width, height, LR_SHARED));
  if (icon == nullptr) return;
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

LRESULT CNativeWindow::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

void CNotifyRouter::RouteNotify(TNotifyUI& msg) {
  if (msg.type == L"click") OnClick(msg);
}

void SkinWindowBase::Notify(TNotifyUI& msg) { RouteNotify(msg); }

LRESULT SkinWindowBase::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) ResponseDefaultKeyEvent(wParam);
  handled = false;
  return 0;
}

bool SkinWindowBase::IsInStaticControl(CControlUI* control) {
  static const wchar_t* const kStaticClasses[] = {
      L"controlui",         L"textui",           L"labelui",       L"containerui",    L"horizontallayoutui",
      L"verticallayoutui",  L"tablayoutui",      L"childlayoutui", L"dialoglayoutui", L"progresscontainerui"};
  for (; control != nullptr; control = control->GetParent()) {
    CSkinString name = control->GetClass();
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    bool is_static = false;
    for (const wchar_t* static_class : kStaticClasses) is_static = is_static || name == static_class;
    if (!is_static) return false;
  }
  return true;
}

LONG SkinWindowBase::GetStyle() {
  const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
  return (style & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
}

LRESULT SkinWindowBase::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
  SetWindowLongW(m_hWnd, GWL_STYLE, GetStyle());
  m_pm.Init(m_hWnd);
  m_pm.AddPreMessageFilter(this);
  m_pm.SetTextQuery(this);
  const CSkinString skin = GetSkinXmlName();
  const CSkinString type = GetSkinType();
  CSkinBuilder builder;
  std::unique_ptr<CControlUI> root =
      builder.Create(skin.c_str(), type.empty() ? nullptr : type.c_str(), this, &m_pm);
  if (!root) {
    MessageBoxW(nullptr, (L"加载资源文件失败：" + skin).c_str(), L"SkinUI", MB_OK | MB_ICONHAND);
    ExitProcess(1);
  }
  m_pm.AttachDialog(std::move(root));
  m_pm.AddNotifier(this);
  InitWindow();
  handled = TRUE;
  return 0;
}

LRESULT SkinWindowBase::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT SkinWindowBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = FALSE;
  return 0;
}

LRESULT SkinWindowBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  // The skin draws the frame; the system's active and inactive frames must not appear.
  handled = TRUE;
  return IsIconic(m_hWnd) ? FALSE : TRUE;
}

LRESULT SkinWindowBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
  // The client area is the whole window.
  handled = TRUE;
  return 0;
}

LRESULT SkinWindowBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
  handled = TRUE;
  return 0;
}

LRESULT SkinWindowBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  handled = TRUE;
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ScreenToClient(m_hWnd, &point);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  if (!IsZoomed(m_hWnd)) {
    const RECT& box = m_pm.GetSizeBox();
    const bool left = point.x < client.left + box.left;
    const bool right = point.x >= client.right - box.right;
    const bool top = point.y < client.top + box.top;
    const bool bottom = point.y >= client.bottom - box.bottom;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (bottom && left) return HTBOTTOMLEFT;
    if (bottom && right) return HTBOTTOMRIGHT;
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
  }
  const RECT& caption = m_pm.GetCaptionRect();
  const LONG caption_bottom = caption.bottom == -1 ? client.bottom : caption.bottom;
  if (point.x >= client.left + caption.left && point.x < client.right - caption.right && point.y >= caption.top &&
      point.y < caption_bottom) {
    CControlUI* control = m_pm.FindControl(point);
    if (control != nullptr && IsInStaticControl(control)) return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT SkinWindowBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  // Maximised, the window fills the work area of its monitor, not the whole screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  info->ptMaxPosition = {monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top};
  info->ptMaxSize = {monitor.rcWork.right - monitor.rcWork.left, monitor.rcWork.bottom - monitor.rcWork.top};
  handled = FALSE;
  return 0;
}

LRESULT SkinWindowBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  if ((wParam & 0xFFF0) == SC_CLOSE) {
    // WM_CLOSE with wParam 0: a modal box closed this way answers 0.
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    handled = TRUE;
    return 0;
  }
  handled = FALSE;
  return 0;
}

#define SKINUI_UNHANDLED(Handler)                                  \
  LRESULT SkinWindowBase::Handler(UINT, WPARAM, LPARAM, BOOL& handled) { \
    handled = FALSE;                                                 \
    return 0;                                                        \
  }
SKINUI_UNHANDLED(OnMouseWheel)
SKINUI_UNHANDLED(OnMouseHover)
SKINUI_UNHANDLED(OnSize)
SKINUI_UNHANDLED(OnChar)
SKINUI_UNHANDLED(OnKeyDown)
SKINUI_UNHANDLED(OnKillFocus)
SKINUI_UNHANDLED(OnSetFocus)
SKINUI_UNHANDLED(OnLButtonDown)
SKINUI_UNHANDLED(OnLButtonUp)
SKINUI_UNHANDLED(OnMouseMove)
SKINUI_UNHANDLED(HandleCustomMessage)
#undef SKINUI_UNHANDLED

LRESULT SkinWindowBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  using Handler = LRESULT (SkinWindowBase::*)(UINT, WPARAM, LPARAM, BOOL&);
  Handler handler = &SkinWindowBase::HandleCustomMessage;
  switch (message) {
    case WM_CREATE: handler = &SkinWindowBase::OnCreate; break;
    case WM_DESTROY: handler = &SkinWindowBase::OnDestroy; break;
    case WM_SIZE: handler = &SkinWindowBase::OnSize; break;
    case WM_SETFOCUS: handler = &SkinWindowBase::OnSetFocus; break;
    case WM_KILLFOCUS: handler = &SkinWindowBase::OnKillFocus; break;
    case WM_CLOSE: handler = &SkinWindowBase::OnClose; break;
    case WM_GETMINMAXINFO: handler = &SkinWindowBase::OnGetMinMaxInfo; break;
    case WM_NCACTIVATE: handler = &SkinWindowBase::OnNcActivate; break;
    case WM_NCCALCSIZE: handler = &SkinWindowBase::OnNcCalcSize; break;
    case WM_NCPAINT: handler = &SkinWindowBase::OnNcPaint; break;
    case WM_NCHITTEST: handler = &SkinWindowBase::OnNcHitTest; break;
    case WM_KEYDOWN: handler = &SkinWindowBase::OnKeyDown; break;
    case WM_CHAR: handler = &SkinWindowBase::OnChar; break;
    case WM_SYSCOMMAND: handler = &SkinWindowBase::OnSysCommand; break;
    case WM_MOUSEMOVE: handler = &SkinWindowBase::OnMouseMove; break;
    case WM_LBUTTONDOWN: handler = &SkinWindowBase::OnLButtonDown; break;
    case WM_LBUTTONUP: handler = &SkinWindowBase::OnLButtonUp; break;
    case WM_MOUSEWHEEL: handler = &SkinWindowBase::OnMouseWheel; break;
    case WM_MOUSEHOVER: handler = &SkinWindowBase::OnMouseHover; break;
    default: break;
  }
  BOOL handled = FALSE;
  const LRESULT result = (this->*handler)(message, wParam, lParam, handled);
  if (handled) return result;
  LRESULT manager_result = 0;
  if (m_pm.MessageHandler(message, wParam, lParam, manager_result)) return manager_result;
  return CNativeWindow::HandleMessage(message, wParam, lParam);
}

}  // namespace SkinUI
