#include "common/tray.h"

#include <initializer_list>

HWND FindTrayToolbar() {
  HWND window = FindWindowW(L"Shell_TrayWnd", nullptr);
  for (const wchar_t* child_class : {L"TrayNotifyWnd", L"SysPager", L"ToolbarWindow32"}) {
    if (window == nullptr) return nullptr;
    window = FindWindowExW(window, nullptr, child_class, nullptr);
  }
  return window;
}

bool RefreshTrayIcons() {
  const HWND toolbar = FindTrayToolbar();
  if (toolbar == nullptr) return false;
  RECT rect = {};
  GetWindowRect(toolbar, &rect);
  const LONG width = rect.right - rect.left;
  const LONG height = rect.bottom - rect.top;
  // An icon whose owner has ended is dropped when the pointer passes over it; an 8-pixel grid
  // touches every icon.
  for (LONG x = 1; x < width - 1; x += 8) {
    for (LONG y = 1; y < height - 1; y += 8) {
      SendMessageW(toolbar, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
  }
  return true;
}
