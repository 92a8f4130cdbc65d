// The window as the manager paints it: its messages, the layout before a paint, the off-screen
// frame every paint draws into, and the frame's presentation, copied or layered.
#include "skinui/core/uimanager.h"

#include <algorithm>

#include "skinui/core/accessible_tree.h"
#include "skinui/core/offscreen_frame.h"
#include "skinui/core/paint_context.h"
#include "skinui/utils/uitooltip.h"

namespace SkinUI {

bool CSkinManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (m_hWnd == nullptr) return false;
  // First, while the manager surely lives: a click may close the window.
  m_pToolTip->OnWindowMessage(message, wParam, lParam);
  result = 0;
  switch (message) {
    case WM_PAINT:
      Paint();
      return true;
    case WM_ERASEBKGND:
      // Everything is painted from the off-screen frame; erasing would only flicker.
      result = 1;
      return true;
    case WM_SIZE:
      Invalidate();
      return false;
    case WM_TIMER:
      return OnTimer(wParam);
    case kDeliverNotificationsMessage:
      DeliverAsyncNotifications();
      return true;
    case WM_GETOBJECT:
      return AnswerGetObject(m_hWnd, wParam, lParam, result);
    default:
      return HandleInputMessage(message, wParam, lParam);
  }
}

void CSkinManagerUI::Invalidate() {
  if (m_hWnd == nullptr) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  Invalidate(client);
}

void CSkinManagerUI::Invalidate(const RECT& rect) {
  if (m_hWnd == nullptr) return;
  // A layered window's update region is not kept by every system (Wine reports it empty), so
  // the manager keeps its own account of what needs drawing.
  UnionRect(&m_rcInvalid, &m_rcInvalid, &rect);
  InvalidateRect(m_hWnd, &rect, FALSE);
}

void CSkinManagerUI::NeedUpdate() {
  m_bUpdateNeeded = true;
  Invalidate();
}

void CSkinManagerUI::LayoutIfNeeded(const RECT& client) {
  if (!m_pRoot) return;
  const SIZE size{client.right - client.left, client.bottom - client.top};
  if (size.cx != m_szLaidOut.cx || size.cy != m_szLaidOut.cy) {
    m_szLaidOut = size;
    m_pRoot->SetPos(client);
  } else if (m_bUpdateNeeded) {
    m_pRoot->UpdatePendingLayout();
  }
  m_bUpdateNeeded = false;
  if (m_bFirstLayout) {
    m_bFirstLayout = false;
    SendNotify(m_pRoot.get(), L"windowinit");
  }
}

PaintSources CSkinManagerUI::PaintSourcesOfWindow() {
  return PaintSources{m_pictures, m_fonts, m_dpi.GetScale(), m_bLayered};
}

void CSkinManagerUI::RenderTo(uint32_t* pixels, int width, int height) {
  LayoutIfNeeded({0, 0, width, height});
  std::fill(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
  if (!m_pRoot) return;
  const RECT all{0, 0, width, height};
  PaintContext context(PaintSourcesOfWindow(), PixelView{pixels, width, height, width}, all);
  m_pRoot->DoPaint(context);
}

void CSkinManagerUI::Paint() {
  PAINTSTRUCT paint{};
  HDC window_dc = BeginPaint(m_hWnd, &paint);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const SIZE size{client.right - client.left, client.bottom - client.top};
  if (window_dc == nullptr || size.cx <= 0 || size.cy <= 0) {
    if (window_dc != nullptr) EndPaint(m_hWnd, &paint);
    return;
  }
  LayoutIfNeeded(client);
  RECT asked{};
  UnionRect(&asked, &paint.rcPaint, &m_rcInvalid);
  m_rcInvalid = RECT{};
  RECT area{};
  IntersectRect(&area, &asked, &client);
  if (!m_offscreen || m_offscreen->size.cx != size.cx || m_offscreen->size.cy != size.cy) {
    m_offscreen = OffscreenFrame::Create(size);
    // Only what is painted now is in a new frame, and a layered window shows all of it.
    area = client;
  }
  if (!m_offscreen || !m_pRoot || IsRectEmpty(&area)) {
    EndPaint(m_hWnd, &paint);
    return;
  }
  // The frame keeps what earlier paints drew; only the area asked for is drawn again.
  const PixelView frame{m_offscreen->pixels, size.cx, size.cy, size.cx};
  for (LONG y = area.top; y < area.bottom; ++y) {
    std::fill(frame.pixels + y * size.cx + area.left, frame.pixels + y * size.cx + area.right, 0u);
  }
  {
    PaintContext context(PaintSourcesOfWindow(), frame, area);
    m_pRoot->DoPaint(context);
  }
  if (m_bLayered) {
    EndPaint(m_hWnd, &paint);
    PresentLayered(client, area);
    return;
  }
  BitBlt(window_dc, area.left, area.top, area.right - area.left, area.bottom - area.top, m_offscreen->dc.Get(),
         area.left, area.top, SRCCOPY);
  EndPaint(m_hWnd, &paint);
}

void CSkinManagerUI::PresentLayered(const RECT& client, const RECT& dirty) {
  const LONG_PTR extended = GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
  if ((extended & WS_EX_LAYERED) == 0) SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, extended | WS_EX_LAYERED);
  RECT window{};
  GetWindowRect(m_hWnd, &window);
  POINT destination{window.left, window.top};
  SIZE size{client.right - client.left, client.bottom - client.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UPDATELAYEREDWINDOWINFO update{};
  update.cbSize = sizeof(update);
  update.pptDst = &destination;
  update.psize = &size;
  update.hdcSrc = m_offscreen->dc.Get();
  update.pptSrc = &source;
  update.pblend = &blend;
  update.dwFlags = ULW_ALPHA;
  update.prcDirty = &dirty;
  UpdateLayeredWindowIndirect(m_hWnd, &update);
}

}  // namespace SkinUI
