#include "skinui/core/uimanager.h"

#include <algorithm>

#include "common/scoped_handle.h"
#include "skinui/core/dib_section.h"
#include "skinui/core/paint_context.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/skin_resources.h"
#include "skinui/utils/uishadow.h"

namespace SkinUI {

namespace {

// Asynchronous notifications wait in the manager until this message reaches its window.
constexpr UINT kDeliverNotificationsMessage = WM_APP + 0x3F00;
// Sent to the window after the display scale changed, for the window's own adjustments.
constexpr UINT kDpiChangedMessage = WM_USER + 200;

HINSTANCE g_instance = nullptr;
// Every manager with a window, for the pre-translation of messages.
std::vector<CSkinManagerUI*>& LiveManagers() {
  static std::vector<CSkinManagerUI*> managers;
  return managers;
}

CSkinManagerUI* ManagerOf(HWND window) {
  for (CSkinManagerUI* manager : LiveManagers()) {
    if (manager->GetPaintWindow() == window) return manager;
  }
  return nullptr;
}

std::optional<DecodedPicture> LoadSkinPicture(const WString& name) {
  const SkinReadResult file = SkinResources::Process().ReadPicture(name);
  DecodedPicture picture;
  if (!file.Succeeded() || !DecodePicture(file.bytes.data(), file.bytes.size(), &picture)) return std::nullopt;
  return picture;
}

POINT PointFromLParam(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Element names of default attribute lists are matched ignoring case, as element names are.
CSkinString DefaultListKey(const CSkinString& element) {
  CSkinString key = element;
  for (wchar_t& c : key) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return key;
}

}  // namespace

// The frame every paint draws into: a top-down 32-bit DIB section selected into a memory DC.
struct CSkinManagerUI::Offscreen {
  ScopedMemoryDc dc;
  ScopedGdiObject bitmap;
  HGDIOBJ previous = nullptr;
  uint32_t* pixels = nullptr;
  SIZE size{};

  ~Offscreen() {
    if (dc && previous != nullptr) SelectObject(dc.Get(), previous);
  }

  static std::unique_ptr<Offscreen> Create(SIZE size) {
    auto frame = std::make_unique<Offscreen>();
    frame->bitmap = CreateTopDownDib(size.cx, size.cy, &frame->pixels);
    frame->dc.Reset(CreateCompatibleDC(nullptr));
    if (!frame->dc || frame->pixels == nullptr) return nullptr;
    frame->previous = SelectObject(frame->dc.Get(), frame->bitmap.Get());
    frame->size = size;
    return frame;
  }
};

CSkinManagerUI::CSkinManagerUI() : m_pictures(&LoadSkinPicture), m_pShadow(std::make_unique<CShadowUI>()) {}

CSkinManagerUI::~CSkinManagerUI() {
  ReleaseControls();
  auto& managers = LiveManagers();
  managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

void CSkinManagerUI::ReleaseControls() {
  for (const ControlTimer& timer : m_timers) {
    if (m_hWnd != nullptr) ::KillTimer(m_hWnd, timer.native_id);
  }
  m_timers.clear();
  if (m_pRoot) {
    // Pages are notifiers and filters of their window; none may be called once it is gone.
    // (A control's destructor cannot tell: by then it is no longer a page.)
    m_pRoot->VisitTree([this](CControlUI& control) {
      if (auto* notifier = dynamic_cast<INotifyUI*>(&control)) RemoveNotifier(notifier);
      if (auto* filter = dynamic_cast<IMessageFilterUI*>(&control)) RemovePreMessageFilter(filter);
    });
  }
  // The tree goes first: its controls still tell the manager that they go.
  m_pRoot.reset();
  m_names.clear();
  m_pFocus = m_pHover = m_pEventClick = nullptr;
  m_asyncNotifications.clear();
}

void CSkinManagerUI::SetInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE CSkinManagerUI::GetInstance() { return g_instance; }
HINSTANCE CSkinManagerUI::GetResourceDll() { return g_instance; }

void CSkinManagerUI::SetResourceZip(const void* data, unsigned length, const wchar_t* password) {
  SkinResources::Process().SetResourceZip(data, length, password);
}

void CSkinManagerUI::MessageLoop() {
  MSG msg{};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

bool CSkinManagerUI::TranslateMessage(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return false;
  LRESULT result = 0;
  const bool is_child = (GetWindowLongW(msg->hwnd, GWL_STYLE) & WS_CHILD) != 0;
  if (!is_child) {
    CSkinManagerUI* manager = ManagerOf(msg->hwnd);
    return manager != nullptr && manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
  }
  for (HWND ancestor = GetParent(msg->hwnd); ancestor != nullptr; ancestor = GetParent(ancestor)) {
    CSkinManagerUI* manager = ManagerOf(ancestor);
    if (manager != nullptr && manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result)) {
      return true;
    }
  }
  return false;
}

void CSkinManagerUI::Init(HWND window) {
  ReleaseControls();
  m_hWnd = window;
  m_fonts.Clear();
  m_pictures.Clear();
  m_defaultAttributes.clear();
  m_bFirstLayout = true;
  m_szLaidOut = {-1, -1};
  auto& managers = LiveManagers();
  if (std::find(managers.begin(), managers.end(), this) == managers.end()) managers.push_back(this);
}

bool CSkinManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
  if (!root) return false;
  ReleaseControls();
  m_pRoot = std::move(root);
  m_pRoot->SetManager(this, nullptr, true);
  m_bNamesStale = true;
  m_bFirstLayout = true;
  NeedUpdate();
  if (m_pShadow->IsShowShadow() && m_hWnd != nullptr) m_pShadow->Create(this);
  return true;
}

CControlUI* CSkinManagerUI::FindControl(const wchar_t* name) const {
  if (name == nullptr || !m_pRoot) return nullptr;
  if (m_bNamesStale) {
    m_names.clear();
    // The first control of a name in tree order is the one found, as a search would find it.
    m_pRoot->VisitTree([&](CControlUI& control) {
      if (!control.GetName().empty()) m_names.emplace(control.GetName(), &control);
    });
    m_bNamesStale = false;
  }
  const auto found = m_names.find(name);
  return found != m_names.end() ? found->second : nullptr;
}

CControlUI* CSkinManagerUI::FindControl(POINT point) const {
  return m_pRoot ? m_pRoot->FindControlAt(point) : nullptr;
}

void CSkinManagerUI::InitControl(CControlUI*) { m_bNamesStale = true; }

void CSkinManagerUI::ForgetControl(CControlUI* control) {
  m_bNamesStale = true;
  if (m_pFocus == control) m_pFocus = nullptr;
  if (m_pHover == control) m_pHover = nullptr;
  if (m_pEventClick == control) m_pEventClick = nullptr;
  for (auto timer = m_timers.begin(); timer != m_timers.end();) {
    if (timer->control == control) {
      if (m_hWnd != nullptr) ::KillTimer(m_hWnd, timer->native_id);
      timer = m_timers.erase(timer);
    } else {
      ++timer;
    }
  }
  m_asyncNotifications.erase(std::remove_if(m_asyncNotifications.begin(), m_asyncNotifications.end(),
                                            [&](const TNotifyUI& msg) { return msg.sender == control; }),
                             m_asyncNotifications.end());
}

void CSkinManagerUI::AddNotifier(INotifyUI* notifier) {
  if (notifier != nullptr && std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) {
    m_notifiers.push_back(notifier);
  }
}

void CSkinManagerUI::RemoveNotifier(INotifyUI* notifier) {
  m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier), m_notifiers.end());
}

void CSkinManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
  if (filter != nullptr &&
      std::find(m_preMessageFilters.begin(), m_preMessageFilters.end(), filter) == m_preMessageFilters.end()) {
    m_preMessageFilters.push_back(filter);
  }
}

void CSkinManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
  m_preMessageFilters.erase(std::remove(m_preMessageFilters.begin(), m_preMessageFilters.end(), filter),
                            m_preMessageFilters.end());
}

CSkinString CSkinManagerUI::QueryControlText(const CSkinString& name, const CSkinString& text) const {
  return m_pTextQuery != nullptr ? m_pTextQuery->QueryControlText(name.c_str(), text.c_str()) : text;
}

void CSkinManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  msg.timestamp = GetTickCount();
  msg.mousePoint = m_ptLastMouse;
  if (async) {
    m_asyncNotifications.push_back(msg);
    if (m_hWnd != nullptr) PostMessageW(m_hWnd, kDeliverNotificationsMessage, 0, 0);
    return;
  }
  if (msg.sender != nullptr) {
    // A handler may add handlers; the ones present when the notification left are called.
    const auto handlers = msg.sender->OnNotify;
    for (const auto& handler : handlers) handler(msg);
  }
  // A notifier may close the window or register another notifier; the list as it stood is
  // walked by index so that neither invalidates the walk.
  const std::vector<INotifyUI*> notifiers = m_notifiers;
  for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
}

void CSkinManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam, LPARAM lParam, bool async) {
  TNotifyUI msg;
  msg.type = type;
  msg.sender = sender;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

void CSkinManagerUI::DeliverAsyncNotifications() {
  std::vector<TNotifyUI> pending;
  pending.swap(m_asyncNotifications);
  for (TNotifyUI& msg : pending) {
    if (msg.sender != nullptr) {
      const auto handlers = msg.sender->OnNotify;
      for (const auto& handler : handlers) handler(msg);
    }
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
  }
}

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

void CSkinManagerUI::AddDefaultAttributeList(const CSkinString& element, const CSkinString& list) {
  m_defaultAttributes[DefaultListKey(element)] = list;
}

const CSkinString* CSkinManagerUI::GetDefaultAttributeList(const CSkinString& element) const {
  const auto found = m_defaultAttributes.find(DefaultListKey(element));
  return found != m_defaultAttributes.end() ? &found->second : nullptr;
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
  SendEvent(control, EventType::kSetFocus);
  SendNotify(control, L"setfocus");
}

bool CSkinManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapse_ms) {
  if (m_hWnd == nullptr || control == nullptr) return false;
  KillTimer(control, id);
  const UINT_PTR native_id = m_nextTimerId++;
  if (::SetTimer(m_hWnd, native_id, elapse_ms, nullptr) == 0) return false;
  m_timers.push_back({control, id, native_id});
  return true;
}

void CSkinManagerUI::KillTimer(CControlUI* control, UINT id) {
  for (auto timer = m_timers.begin(); timer != m_timers.end(); ++timer) {
    if (timer->control == control && timer->id == id) {
      ::KillTimer(m_hWnd, timer->native_id);
      m_timers.erase(timer);
      return;
    }
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

void CSkinManagerUI::RenderTo(uint32_t* pixels, int width, int height) {
  LayoutIfNeeded({0, 0, width, height});
  std::fill(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height), 0u);
  if (!m_pRoot) return;
  const RECT all{0, 0, width, height};
  PaintContext context(*this, PixelView{pixels, width, height, width}, all);
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
    m_offscreen = Offscreen::Create(size);
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
    PaintContext context(*this, frame, area);
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

bool CSkinManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const std::vector<IMessageFilterUI*> filters = m_preMessageFilters;
  for (IMessageFilterUI* filter : filters) {
    bool handled = false;
    const LRESULT answer = filter->MessageHandler(message, wParam, lParam, handled);
    if (handled) {
      result = answer;
      return true;
    }
  }
  return false;
}

bool CSkinManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (m_hWnd == nullptr) return false;
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
      for (const ControlTimer& timer : m_timers) {
        if (timer.native_id == wParam) {
          SendEvent(timer.control, EventType::kTimer, timer.id);
          return true;
        }
      }
      return false;
    case kDeliverNotificationsMessage:
      DeliverAsyncNotifications();
      return true;
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
