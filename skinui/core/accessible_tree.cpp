#include "skinui/core/accessible_tree.h"

#include <oleacc.h>

#include <algorithm>
#include <iterator>
#include <new>

#include "common/scoped_com.h"
#include "skinui/control/uibutton.h"
#include "skinui/control/uiedit.h"
#include "skinui/control/uiprogress.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

namespace {

AccessibleKind KindOf(const CControlUI& control) {
  // Buttons, edits and progress bars are labels too: the derived classes are asked first.
  if (dynamic_cast<const CButtonUI*>(&control) != nullptr) return AccessibleKind::kButton;
  if (dynamic_cast<const CEditUI*>(&control) != nullptr) return AccessibleKind::kEdit;
  if (dynamic_cast<const CProgressUI*>(&control) != nullptr) return AccessibleKind::kProgress;
  if (dynamic_cast<const CLabelUI*>(&control) != nullptr) return AccessibleKind::kLabel;
  return AccessibleKind::kNone;
}

LONG SystemRole(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kPushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::kText:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::kProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::kStaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::kGraphic:
      return ROLE_SYSTEM_GRAPHIC;
    case AccessibleRole::kNone:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

LONG SystemState(const AccessibleElement& element) {
  LONG state = 0;
  if (element.focusable) state |= STATE_SYSTEM_FOCUSABLE;
  if (element.focused) state |= STATE_SYSTEM_FOCUSED;
  if (element.unavailable) state |= STATE_SYSTEM_UNAVAILABLE;
  if (element.invisible) state |= STATE_SYSTEM_INVISIBLE;
  return state;
}

// The child id of `control` among `controls`, or CHILDID_SELF when it is not listed.
LONG ChildIdIn(const std::vector<CControlUI*>& controls, const CControlUI* control) {
  for (size_t index = 0; index < controls.size(); ++index) {
    if (controls[index] == control) return static_cast<LONG>(index + 1);
  }
  return CHILDID_SELF;
}

void SetChildId(VARIANT* out, LONG id) {
  VariantInit(out);
  V_VT(out) = VT_I4;
  V_I4(out) = id;
}

// A text property: `none` (S_FALSE or DISP_E_MEMBERNOTFOUND) when the element has no such text.
HRESULT ReturnText(const CSkinString& text, BSTR* out, HRESULT none) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return none;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

// The client area of one toolkit window. It holds the window handle only and asks the window's
// manager anew in every call, so a reader that keeps it after the window has gone is told so
// instead of reaching freed controls.
class ClientAccessible final : public IAccessible {
 public:
  explicit ClientAccessible(HWND window) : window_(window) {}
  ClientAccessible(const ClientAccessible&) = delete;
  ClientAccessible& operator=(const ClientAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IDispatch: readers call the IAccessible methods directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (Manager() == nullptr) return RPC_E_DISCONNECTED;
    return AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (count == nullptr) return E_POINTER;
    CSkinManagerUI* manager = Manager();
    if (manager == nullptr) return RPC_E_DISCONNECTED;
    *count = static_cast<LONG>(AccessibleControls(manager->GetRoot()).size());
    return S_OK;
  }
  // The children are simple elements, named by their ids, not objects of their own.
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    return control != nullptr ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control == nullptr) {
      wchar_t title[256] = {};
      GetWindowTextW(window_, title, static_cast<int>(std::size(title)));
      return ReturnText(title, name, S_FALSE);
    }
    return ReturnText(DescribeControl(*control).name, name, S_FALSE);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    return ReturnText(control != nullptr ? DescribeControl(*control).value : CSkinString(), value,
                      DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* description) override {
    return ReturnText(CSkinString(), description, DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (role == nullptr) return E_POINTER;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    SetChildId(role, control != nullptr ? SystemRole(DescribeControl(*control).role) : ROLE_SYSTEM_CLIENT);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (state == nullptr) return E_POINTER;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control != nullptr) {
      SetChildId(state, SystemState(DescribeControl(*control)));
      return S_OK;
    }
    LONG own = STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == window_) own |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(window_)) own |= STATE_SYSTEM_INVISIBLE;
    SetChildId(state, own);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    return ReturnText(CSkinString(), help, DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (topic != nullptr) *topic = 0;
    return ReturnText(CSkinString(), file, DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    return ReturnText(CSkinString(), shortcut, DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    CSkinManagerUI* manager = Manager();
    if (manager == nullptr) return RPC_E_DISCONNECTED;
    const LONG id = ChildIdIn(AccessibleControls(manager->GetRoot()), manager->GetFocus());
    if (id != CHILDID_SELF || GetFocus() == window_) {
      SetChildId(focus, id);
      return S_OK;
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    return ReturnText(control != nullptr ? DescribeControl(*control).default_action : CSkinString(), action,
                      DISP_E_MEMBERNOTFOUND);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control == nullptr || flags != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
    const AccessibleElement element = DescribeControl(*control);
    if (!element.focusable) return DISP_E_MEMBERNOTFOUND;
    if (element.invisible || element.unavailable) return E_FAIL;
    control->SetFocus();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    RECT area{};
    if (control != nullptr) {
      area = control->GetPos();
    } else {
      GetClientRect(window_, &area);
    }
    POINT corner{area.left, area.top};
    ClientToScreen(window_, &corner);
    *left = corner.x;
    *top = corner.y;
    *width = area.right - area.left;
    *height = area.bottom - area.top;
    return S_OK;
  }
  // Through the children on the screen, in skin order; only the window itself has first and
  // last children.
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (end == nullptr) return E_POINTER;
    VariantInit(end);
    CControlUI* from = nullptr;
    const HRESULT found = Resolve(start, &from);
    if (FAILED(found)) return found;
    const std::vector<CControlUI*> all = AccessibleControls(Manager()->GetRoot());
    std::vector<CControlUI*> shown;
    for (CControlUI* control : all) {
      if (control->IsShown()) shown.push_back(control);
    }
    const auto place = std::find(shown.begin(), shown.end(), from);
    CControlUI* to = nullptr;
    if (from == nullptr && direction == NAVDIR_FIRSTCHILD && !shown.empty()) to = shown.front();
    if (from == nullptr && direction == NAVDIR_LASTCHILD && !shown.empty()) to = shown.back();
    if (from != nullptr && place != shown.end()) {
      if (direction == NAVDIR_NEXT && place + 1 != shown.end()) to = *(place + 1);
      if (direction == NAVDIR_PREVIOUS && place != shown.begin()) to = *(place - 1);
    }
    if (to == nullptr) return S_FALSE;
    SetChildId(end, ChildIdIn(all, to));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
    if (hit == nullptr) return E_POINTER;
    VariantInit(hit);
    CSkinManagerUI* manager = Manager();
    if (manager == nullptr) return RPC_E_DISCONNECTED;
    POINT point{x, y};
    ScreenToClient(window_, &point);
    RECT client{};
    GetClientRect(window_, &client);
    if (!PtInRect(&client, point)) return S_FALSE;
    // Later controls are painted over earlier ones (floating boxes come after what they cover).
    const std::vector<CControlUI*> controls = AccessibleControls(manager->GetRoot());
    LONG id = CHILDID_SELF;
    for (size_t index = 0; index < controls.size(); ++index) {
      if (controls[index]->IsShown() && PtInRect(&controls[index]->GetPos(), point)) id = static_cast<LONG>(index + 1);
    }
    SetChildId(hit, id);
    return S_OK;
  }
  // The click goes through the window's message loop, as queued notifications do: the caller
  // may be another process waiting for the answer, and a click may open a modal box or close
  // the window.
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    CControlUI* control = nullptr;
    const HRESULT found = Resolve(child, &control);
    if (FAILED(found)) return found;
    if (control == nullptr) return DISP_E_MEMBERNOTFOUND;
    const AccessibleElement element = DescribeControl(*control);
    if (element.default_action.empty()) return DISP_E_MEMBERNOTFOUND;
    if (element.invisible || element.unavailable) return E_FAIL;
    control->GetManager()->SendNotify(control, L"click", 0, 0, true);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ClientAccessible() = default;

  // A manager may outlive its window (a window object that stays after DestroyWindow).
  CSkinManagerUI* Manager() const { return IsWindow(window_) ? CSkinManagerUI::FromWindow(window_) : nullptr; }

  // The control that `child` names (null for the window itself); an error when the window has
  // gone or no child has that id.
  HRESULT Resolve(const VARIANT& child, CControlUI** control) const {
    *control = nullptr;
    CSkinManagerUI* manager = Manager();
    if (manager == nullptr) return RPC_E_DISCONNECTED;
    if (V_VT(&child) != VT_I4) return E_INVALIDARG;
    const LONG id = V_I4(&child);
    if (id == CHILDID_SELF) return S_OK;
    const std::vector<CControlUI*> controls = AccessibleControls(manager->GetRoot());
    if (id < 1 || static_cast<size_t>(id) > controls.size()) return E_INVALIDARG;
    *control = controls[static_cast<size_t>(id - 1)];
    return S_OK;
  }

  LONG references_ = 1;
  const HWND window_;
};

}  // namespace

std::vector<CControlUI*> AccessibleControls(CControlUI* root) {
  std::vector<CControlUI*> controls;
  if (root == nullptr) return controls;
  root->VisitTree([&](CControlUI& control) {
    if (DescribeControl(control).role != AccessibleRole::kNone) controls.push_back(&control);
  });
  return controls;
}

AccessibleElement DescribeControl(const CControlUI& control) {
  AccessibleControlFacts facts;
  facts.kind = KindOf(control);
  if (facts.kind == AccessibleKind::kNone) return AccessibleElement{};
  facts.text = control.GetText();
  facts.tooltip = control.GetToolTip();
  facts.accname = control.GetAccName();
  facts.has_picture = control.HasPicture();
  facts.shown = control.IsShown();
  facts.enabled = control.IsEnabled();
  facts.focused = control.IsFocused();
  if (const auto* progress = dynamic_cast<const CProgressUI*>(&control)) {
    facts.value = progress->GetValue();
    facts.min = progress->GetMinValue();
    facts.max = progress->GetMaxValue();
  }
  return DescribeAccessible(facts);
}

bool AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
  ComPtr<IAccessible> client;
  client.Attach(new (std::nothrow) ClientAccessible(window));
  if (!client) return false;
  result = LresultFromObject(__uuidof(IAccessible), wParam, client.Get());
  return true;
}

void NotifyAccessibleEvent(DWORD event, const CControlUI* control) {
  CSkinManagerUI* manager = control != nullptr ? control->GetManager() : nullptr;
  if (manager == nullptr || manager->GetPaintWindow() == nullptr) return;
  NotifyWinEvent(event, manager->GetPaintWindow(), OBJID_CLIENT,
                 ChildIdIn(AccessibleControls(manager->GetRoot()), control));
}

void NotifyAccessibleShown(CControlUI* subtree) {
  CSkinManagerUI* manager = subtree != nullptr ? subtree->GetManager() : nullptr;
  if (manager == nullptr || manager->GetPaintWindow() == nullptr) return;
  const std::vector<CControlUI*> all = AccessibleControls(manager->GetRoot());
  for (CControlUI* control : AccessibleControls(subtree)) {
    if (control->IsShown()) NotifyWinEvent(EVENT_OBJECT_SHOW, manager->GetPaintWindow(), OBJID_CLIENT, ChildIdIn(all, control));
  }
}

}  // namespace SkinUI
