// The window's display scale and the size the skin gives it.
#include "skinui/core/uimanager.h"

namespace SkinUI {

namespace {

// Sent to the window after the display scale changed, for the window's own adjustments.
constexpr UINT kDpiChangedMessage = WM_USER + 200;

}  // namespace

void CSkinManagerUI::SetInitSize(int width, int height) {
  m_szInitWindowSize = {m_dpi.Scale(width), m_dpi.Scale(height)};
  if (m_hWnd != nullptr) {
    SetWindowPos(m_hWnd, nullptr, 0, 0, m_szInitWindowSize.cx, m_szInitWindowSize.cy,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }
}

void CSkinManagerUI::SetDPI(int dpi) { SetScale(ScalePercentForDpi(dpi, GetSystemMetrics(SM_CYSCREEN))); }

void CSkinManagerUI::SetScale(int percent) {
  const int old_scale = m_dpi.GetScale();
  m_dpi.SetScale(percent);
  const int new_scale = m_dpi.GetScale();
  m_pictures.Clear();
  m_fonts.Rebuild(m_dpi);
  if (m_hWnd != nullptr && !IsZoomed(m_hWnd)) {
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    const int width = MulDiv(window.right - window.left, new_scale, old_scale);
    const int height = MulDiv(window.bottom - window.top, new_scale, old_scale);
    SetWindowPos(m_hWnd, nullptr, window.left, window.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (m_pRoot) m_pRoot->NeedUpdate();
  m_szLaidOut = {-1, -1};
  Invalidate();
  if (m_hWnd != nullptr) PostMessageW(m_hWnd, kDpiChangedMessage, 0, 0);
}

}  // namespace SkinUI
