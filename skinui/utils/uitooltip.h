#pragma once
// A window's tooltip: when the pointer rests on a control that has a tooltip text for half a
// second, a small pop-up with that text appears just below the pointer, drawn by the toolkit in
// the system's tooltip colours and font. It goes when the pointer leaves the control, when a
// mouse button is pressed, and when the window is deactivated, hidden or minimised. The pop-up
// carries its text as its window title, so it can be found by its text.
#include <windows.h>

#include "common/scoped_handle.h"
#include "skinui/core/uidefine.h"

namespace SkinUI {

class CControlUI;
class CSkinManagerUI;

class CToolTipUI {
 public:
  static constexpr wchar_t kWindowClassName[] = L"SkinUIToolTip";
  // How long the pointer has to rest on a control before its tip shows.
  static constexpr UINT kRestMilliseconds = 500;
  // How far below the pointer the tip starts, at 100 percent: clear of the arrow cursor.
  static constexpr int kBelowPointer = 20;

  explicit CToolTipUI(CSkinManagerUI& manager);
  ~CToolTipUI();
  CToolTipUI(const CToolTipUI&) = delete;
  CToolTipUI& operator=(const CToolTipUI&) = delete;

  // Sees each message of the manager's window before the manager's input handling does.
  void OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A control's tooltip text changed: a tip shown for it shows the new text (or goes, when the
  // text is now empty).
  void OnToolTipChanged(CControlUI* control);
  // A control leaves the window.
  void Forget(CControlUI* control);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPointerMove(POINT client_point);
  // The pointer is over a window that the manager's window owns or holds (an open edit).
  bool PointerOverOwnWindow() const;
  // The control whose tip applies at a point: the control there or its nearest ancestor with a
  // tooltip text.
  CControlUI* ToolTipOwnerAt(POINT client_point) const;
  bool EnsureWindow();
  void Show();
  void Hide();
  // Stops whatever is due or shown and lets go of the control.
  void Reset();
  void Paint();
  // A length at 100 percent at the screen's DPI, which the system's tooltip font follows too.
  int ScreenScaled(int length) const;

  CSkinManagerUI& m_manager;
  HWND m_hWnd = nullptr;
  ScopedGdiObject m_font;
  // The control under the pointer whose tip is due or shown.
  CControlUI* m_pControl = nullptr;
  // A press or a turn of the wheel ends the control's tip until the pointer moves to another
  // control.
  bool m_bDismissed = false;
  bool m_bShown = false;
  // Where the pointer came to rest, in screen coordinates.
  POINT m_ptRest{};
  int m_nScreenDpi = 96;
};

}  // namespace SkinUI
