#pragma once
// The window side of the toolkit: CNativeWindow owns one top-level window and hands its messages
// to HandleMessage; SkinWindowBase builds its look and controls from a skin file, makes the
// frameless window movable and sizable, and routes input to its manager.
#include <windows.h>

#include "skinui/core/uidefine.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

class CNativeWindow {
 public:
  CNativeWindow() = default;
  virtual ~CNativeWindow() = default;
  CNativeWindow(const CNativeWindow&) = delete;
  CNativeWindow& operator=(const CNativeWindow&) = delete;

  HWND GetHWND() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // Registers the window class (once per name) and creates the window; this object receives
  // every message of it from WM_NCCREATE on.
  HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD extended_style, int x = CW_USEDEFAULT,
              int y = CW_USEDEFAULT, int width = CW_USEDEFAULT, int height = CW_USEDEFAULT, HMENU menu = nullptr);
  // Centres over the owner, or over the work area of the nearest monitor, kept inside that
  // monitor's work area.
  void CenterWindow();
  void ShowWindow(bool show = true, bool take_focus = true);
  // Shows the window, disables its owner and runs a message loop until the window is gone;
  // the result is the code given to Close (0 for a plain WM_CLOSE), whichever message loop
  // dispatched that close.
  UINT ShowModal();
  // Posts WM_CLOSE with `code` to the window if it still exists.
  void Close(UINT code = IDOK);
  // The icon resource at the system's large-icon size, as both window icons.
  void SetIcon(UINT resource_id);
  LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

 protected:
  virtual const wchar_t* GetWindowClassName() const = 0;
  virtual const wchar_t* GetSuperClassName() const { return nullptr; }
  virtual UINT GetClassStyle() const { return 0; }
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnFinalMessage(HWND window) {}

  HWND m_hWnd = nullptr;

 private:
  // Where the running ShowModal wants the close code; null when none waits for it.
  UINT* m_pModalResult = nullptr;

  bool RegisterWindowClass();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

// Sends a click on to OnClick; the other notifications stay with Notify.
class CNotifyRouter {
 protected:
  ~CNotifyRouter() = default;
  void RouteNotify(TNotifyUI& msg);
  virtual void OnClick(TNotifyUI& msg) {}
};

class SkinWindowBase : public CNativeWindow,
                       public CNotifyRouter,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public ISkinBuilderCallback,
                       public IQueryControlText {
 public:
  SkinWindowBase() = default;
  ~SkinWindowBase() override = default;

  CSkinManagerUI& GetManager() { return m_pm; }

  void Notify(TNotifyUI& msg) override;
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  CControlUI* CreateControl(const wchar_t* element_name) override { return nullptr; }
  CSkinString QueryControlText(const wchar_t* control_name, const wchar_t* text) override { return text; }

 protected:
  virtual void InitWindow() {}
  void OnClick(TNotifyUI& msg) override {}
  // Whether the control under a point of the caption lets the window be dragged from there.
  virtual bool IsInStaticControl(CControlUI* control);
  virtual CSkinString GetSkinType() { return CSkinString(); }
  virtual CSkinString GetSkinXmlName() = 0;
  virtual CSkinString GetManagerName() { return CSkinString(); }
  // Enter and Escape reach this before anything else sees them; they go on either way.
  virtual bool ResponseDefaultKeyEvent(WPARAM key) { return false; }

  virtual LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnNcActivate(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnMouseHover(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled);
  virtual LRESULT HandleCustomMessage(UINT, WPARAM, LPARAM, BOOL& handled);
  // The style the window takes when it is created: framed styles without the caption, since the
  // skin draws the whole window.
  virtual LONG GetStyle();

  UINT GetClassStyle() const override { return CS_DBLCLKS; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  CSkinManagerUI m_pm;
};

}  // namespace SkinUI
