#pragma once
// The drop shadow of a top-level window: a layered, click-through pop-up owned by the window,
// kept directly below it and as large as the window plus the shadow size on every side, filled
// with the shadow picture drawn as a nine-grid.
#include <windows.h>

#include "skinui/core/picture_cache.h"
#include "skinui/core/uidefine.h"

namespace SkinUI {

class CShadowUI {
 public:
  CShadowUI() = default;
  ~CShadowUI();
  CShadowUI(const CShadowUI&) = delete;
  CShadowUI& operator=(const CShadowUI&) = delete;

  // What the skin asks for; out-of-range values leave the earlier ones.
  void ShowShadow(bool show) { m_bEnabled = show; }
  bool IsShowShadow() const { return m_bEnabled; }
  void SetImage(const CSkinString& picture) { m_sImage = picture; }
  // From -35 to 35 pixels; not scaled.
  bool SetSize(int size);
  // Nine-grid margins of the picture in its own pixels; none may be negative.
  bool SetCorner(const RECT& corner);

  // Creates the shadow window for `window`, of the program `instance`, and starts following it;
  // its picture comes from the window's `pictures`.
  void Create(HWND window, HINSTANCE instance, PictureCache& pictures);
  HWND GetWindow() const { return m_hWnd; }

 private:
  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnParentPainted();
  // Shows the shadow now, or after the window's first paint when it has not painted yet.
  void ShowWithParent();
  void Update();
  void Restack();
  void Show(bool show);

  bool m_bEnabled = false;
  CSkinString m_sImage;
  int m_nSize = 0;
  RECT m_rcCorner{};

  PictureCache* m_pPictures = nullptr;
  HWND m_hWnd = nullptr;
  HWND m_hParent = nullptr;
  WNDPROC m_pPreviousProc = nullptr;
  SIZE m_szLast{};
  // Drawn at the window's next paint: it grew, or it has not painted yet.
  bool m_bUpdatePending = false;
  bool m_bParentPainted = false;
};

}  // namespace SkinUI
