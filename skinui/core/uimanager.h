#pragma once
// One window's share of the toolkit: its control tree and name map, who hears its
// notifications, its fonts, pictures and default attribute lists, the caption and size box that
// the hit test reads, its display scale, and the painting and input routing of its controls.
// The static side holds what the whole process shares: the instance, the attached skin archive
// and the message loop. The definitions sit in uimanager*.cpp, one file for each of these concerns.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "skinui/control/uicontrol.h"
#include "skinui/core/font_registry.h"
#include "skinui/core/paint_context.h"
#include "skinui/core/picture_cache.h"
#include "skinui/core/uidefine.h"
#include "skinui/core/uidpi.h"

namespace SkinUI {

class CShadowUI;
class CToolTipUI;
struct OffscreenFrame;

class CSkinManagerUI {
 public:
  CSkinManagerUI();
  ~CSkinManagerUI();
  CSkinManagerUI(const CSkinManagerUI&) = delete;
  CSkinManagerUI& operator=(const CSkinManagerUI&) = delete;

  // Process-wide.
  static void SetInstance(HINSTANCE instance);
  static HINSTANCE GetInstance();
  static HINSTANCE GetResourceDll();
  // Attaches the skin archive held in memory for the life of the process; every skin file and
  // picture is read from it from then on. Only the first archive counts.
  static void SetResourceZip(const void* data, unsigned length, const wchar_t* password);
  static void MessageLoop();
  // Offers a message to the pre-message filters of its window and of that window's ancestors;
  // true when one consumed it.
  static bool TranslateMessage(const MSG* msg);
  // The manager of a window the toolkit runs, or null.
  static CSkinManagerUI* FromWindow(HWND window);

  // Takes over a window: fonts, pictures, default attribute lists and timers start empty.
  void Init(HWND window);
  HWND GetPaintWindow() const { return m_hWnd; }

  // Makes `root` the window's tree (the manager owns it), fills the name map and creates the
  // shadow window when the skin asks for one.
  bool AttachDialog(std::unique_ptr<CControlUI> root);
  CControlUI* GetRoot() const { return m_pRoot.get(); }
  CControlUI* FindControl(const wchar_t* name) const;
  CControlUI* FindControl(POINT point) const;
  // Called by controls that join the window (SetManager with init) and by controls that go.
  void InitControl(CControlUI* control);
  void ForgetControl(CControlUI* control);
  // Called by a control whose tooltip text changed, so that a tip on show follows it.
  void OnToolTipChanged(CControlUI* control);
  // The pointer's messages of a native child window laid over a control (an open edit), which
  // the window itself never sees: its tooltip follows the pointer there too.
  void OnChildWindowPointer(HWND child, UINT message, WPARAM wParam, LPARAM lParam);

  void AddNotifier(INotifyUI* notifier);
  void RemoveNotifier(INotifyUI* notifier);
  void AddPreMessageFilter(IMessageFilterUI* filter);
  void RemovePreMessageFilter(IMessageFilterUI* filter);
  void SetTextQuery(IQueryControlText* query) { m_pTextQuery = query; }
  CSkinString QueryControlText(const CSkinString& name, const CSkinString& text) const;

  // Synchronous: the sender's handlers, then every notifier in registration order. Asynchronous:
  // a copy is delivered from the message loop.
  void SendNotify(TNotifyUI& msg, bool async = false);
  void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool async = false);

  // Window properties from the skin.
  const RECT& GetCaptionRect() const { return m_rcCaption; }
  void SetCaptionRect(const RECT& rect) { m_rcCaption = rect; }
  const RECT& GetSizeBox() const { return m_rcSizeBox; }
  void SetSizeBox(const RECT& rect) { m_rcSizeBox = rect; }
  SIZE GetInitSize() const { return m_szInitWindowSize; }
  // The client size, scaled at the scale in force; resizes the window when it exists.
  void SetInitSize(int width, int height);
  bool IsLayered() const { return m_bLayered; }
  void SetLayered(bool layered) { m_bLayered = layered; }
  CShadowUI* GetShadow() const { return m_pShadow.get(); }

  // Display scale.
  CDPI* GetDPIObj() { return &m_dpi; }
  const CDPI& GetDPI() const { return m_dpi; }
  // Chooses the scale for `dpi` and takes it as SetScale does.
  void SetDPI(int dpi);
  // Takes a scale in percent: drops cached pictures, rebuilds the fonts, resizes the window
  // around its top-left corner by new scale / old scale, lays the tree out anew and tells the
  // window with WM_USER + 200.
  void SetScale(int percent);

  FontRegistry& Fonts() { return m_fonts; }
  PictureCache& Pictures() { return m_pictures; }
  void AddDefaultAttributeList(const CSkinString& element, const CSkinString& list);
  const CSkinString* GetDefaultAttributeList(const CSkinString& element) const;

  // Focus, input and timers of the controls.
  CControlUI* GetFocus() const { return m_pFocus; }
  void SetFocus(CControlUI* control);
  // The controls that Tab visits, in the order of the tree (parents first): named, visible and
  // enabled controls that take the keyboard, none of them under a hidden ancestor.
  std::vector<CControlUI*> TabOrder() const;
  // Tab (forward) or Shift+Tab: the focus goes to the next or previous control of TabOrder,
  // round from the last to the first and back; false when no control takes it.
  bool MoveFocus(bool forward);
  // Focuses the first control of TabOrder inside `subtree`; false when it holds none.
  bool FocusFirstIn(CControlUI* subtree);
  // Whether the focused control marks itself: from the keyboard's first use on, until the
  // mouse is pressed, as Windows' own focus cues behave.
  bool IsFocusCueShown() const { return m_bFocusCue; }
  bool SetTimer(CControlUI* control, UINT id, UINT elapse_ms);
  void KillTimer(CControlUI* control, UINT id);

  void Invalidate();
  void Invalidate(const RECT& rect);
  void NeedUpdate();

  // Lays the tree out to `size` if needed and paints all of it into `target`, a top-down
  // buffer of premultiplied 32-bit pixels that a window would present. Sends "windowinit" on
  // the first layout, as a first paint does.
  void RenderTo(uint32_t* pixels, int width, int height);

  // Painting, layout and input of the controls; false leaves the message to the window's
  // default procedure.
  bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The pre-message filters of this window.
  bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  struct ControlTimer {
    CControlUI* control;
    UINT id;
    UINT_PTR native_id;
  };

  // Asynchronous notifications wait in the manager until this message reaches its window.
  static constexpr UINT kDeliverNotificationsMessage = WM_APP + 0x3F00;

  // The tree (uimanager.cpp).
  void ReleaseControls();
  // The managers whose filters the pre-translation asks (uimanager_process.cpp).
  void JoinLiveManagers();
  void LeaveLiveManagers();
  // Layout and painting (uimanager_window.cpp).
  void LayoutIfNeeded(const RECT& client);
  PaintSources PaintSourcesOfWindow();
  void Paint();
  // Shows the frame with per-pixel alpha; only `dirty` changed since the last time.
  void PresentLayered(const RECT& client, const RECT& dirty);
  // Notifications (uimanager_notifications.cpp). Deliver is the one way a notification reaches
  // its sender's handlers and the notifiers, whether it was sent at once or queued.
  void Deliver(TNotifyUI& msg);
  void DeliverAsyncNotifications();
  void DropNotificationsFrom(CControlUI* control);
  // Timers (uimanager_timers.cpp); OnTimer is false for a timer that is not a control's.
  bool OnTimer(WPARAM native_id);
  void KillTimersOf(CControlUI* control);
  void KillAllTimers();
  // Mouse, keyboard and focus (uimanager_input.cpp).
  bool HandleInputMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnMouseMove(POINT point);
  void OnButtonDown(POINT point, bool double_click);
  void OnButtonUp(POINT point);
  void SendEvent(CControlUI* control, EventType type, WPARAM wParam = 0, LPARAM lParam = 0);
  void ForgetInputTarget(CControlUI* control);
  void ShowFocusCue(bool show);

  HWND m_hWnd = nullptr;
  std::unique_ptr<CControlUI> m_pRoot;
  // Names are applied after a control joins, so the map is filled when it is next asked.
  mutable std::unordered_map<CSkinString, CControlUI*> m_names;
  mutable bool m_bNamesStale = true;
  std::vector<INotifyUI*> m_notifiers;
  std::vector<IMessageFilterUI*> m_preMessageFilters;
  IQueryControlText* m_pTextQuery = nullptr;
  std::vector<TNotifyUI> m_asyncNotifications;
  std::map<CSkinString, CSkinString> m_defaultAttributes;
  std::vector<ControlTimer> m_timers;
  UINT_PTR m_nextTimerId = 1;

  FontRegistry m_fonts;
  PictureCache m_pictures;
  CDPI m_dpi;
  std::unique_ptr<CShadowUI> m_pShadow;
  std::unique_ptr<CToolTipUI> m_pToolTip;

  RECT m_rcCaption{};
  RECT m_rcSizeBox{};
  SIZE m_szInitWindowSize{};
  bool m_bLayered = false;

  bool m_bUpdateNeeded = false;
  bool m_bFirstLayout = true;
  SIZE m_szLaidOut{-1, -1};
  RECT m_rcInvalid{};  // what was asked to be drawn since the last paint
  CControlUI* m_pFocus = nullptr;
  CControlUI* m_pHover = nullptr;
  CControlUI* m_pEventClick = nullptr;
  bool m_bMouseTracking = false;
  bool m_bFocusCue = false;
  POINT m_ptLastMouse{-1, -1};

  // The frame every paint is drawn into; kept between paints while the size stays.
  std::unique_ptr<OffscreenFrame> m_offscreen;
};

}  // namespace SkinUI
