// The manager's own side: construction, the control tree and its name map, and the default
// attribute lists of the skin.
#include "skinui/core/uimanager.h"

#include "skinui/core/offscreen_frame.h"
#include "skinui/core/skin_resources.h"
#include "skinui/utils/uishadow.h"
#include "skinui/utils/uitooltip.h"

namespace SkinUI {

namespace {

std::optional<DecodedPicture> LoadSkinPicture(const WString& name) {
  const SkinReadResult file = SkinResources::Process().ReadPicture(name);
  DecodedPicture picture;
  if (!file.Succeeded() || !DecodePicture(file.bytes.data(), file.bytes.size(), &picture)) return std::nullopt;
  return picture;
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

CSkinManagerUI::CSkinManagerUI()
    : m_pictures(&LoadSkinPicture),
      m_pShadow(std::make_unique<CShadowUI>()),
      m_pToolTip(std::make_unique<CToolTipUI>(*this)) {}

CSkinManagerUI::~CSkinManagerUI() {
  ReleaseControls();
  LeaveLiveManagers();
}

void CSkinManagerUI::ReleaseControls() {
  KillAllTimers();
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

void CSkinManagerUI::Init(HWND window) {
  ReleaseControls();
  m_hWnd = window;
  m_fonts.Clear();
  m_pictures.Clear();
  m_defaultAttributes.clear();
  m_bFirstLayout = true;
  m_szLaidOut = {-1, -1};
  JoinLiveManagers();
}

bool CSkinManagerUI::AttachDialog(std::unique_ptr<CControlUI> root) {
  if (!root) return false;
  ReleaseControls();
  m_pRoot = std::move(root);
  m_pRoot->SetManager(this, nullptr, true);
  m_bNamesStale = true;
  m_bFirstLayout = true;
  NeedUpdate();
  if (m_pShadow->IsShowShadow() && m_hWnd != nullptr) m_pShadow->Create(m_hWnd, GetInstance(), m_pictures);
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
  ForgetInputTarget(control);
  KillTimersOf(control);
  DropNotificationsFrom(control);
  m_pToolTip->Forget(control);
}

void CSkinManagerUI::OnToolTipChanged(CControlUI* control) { m_pToolTip->OnToolTipChanged(control); }

void CSkinManagerUI::OnChildWindowPointer(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  MapWindowPoints(child, m_hWnd, &point, 1);
  m_pToolTip->OnWindowMessage(message, wParam, MAKELPARAM(point.x, point.y));
}

CSkinString CSkinManagerUI::QueryControlText(const CSkinString& name, const CSkinString& text) const {
  return m_pTextQuery != nullptr ? m_pTextQuery->QueryControlText(name.c_str(), text.c_str()) : text;
}

void CSkinManagerUI::AddDefaultAttributeList(const CSkinString& element, const CSkinString& list) {
  m_defaultAttributes[DefaultListKey(element)] = list;
}

const CSkinString* CSkinManagerUI::GetDefaultAttributeList(const CSkinString& element) const {
  const auto found = m_defaultAttributes.find(DefaultListKey(element));
  return found != m_defaultAttributes.end() ? &found->second : nullptr;
}

}  // namespace SkinUI
