// A window's controls as a screen reader reads them, through oleacc in this process: the
// children of the client object, their roles, names, states, places and values, the default
// action of a button, and the WinEvents that tell a reader of changes.
#include "skinui/core/accessible_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "skinui/control/uiprogress.h"
#include "skinui/layout/uicontainer.h"
#include "skinui/testing/accessible_walk.h"
#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// One of each kind of element, a label with nothing to say, plain controls and containers that
// are not listed, and a hidden box.
constexpr wchar_t kSkin[] =
    L"<Window size=\"300,200\"><VerticalLayout>"
    L"<HorizontalLayout height=\"30\"><Label name=\"title\" text=\"Title\"/>"
    L"<Button name=\"close\" width=\"20\" tooltip=\"Close it\" accname=\"unused\"/>"
    L"<Button name=\"min\" width=\"20\" accname=\"Minimise\"/></HorizontalLayout>"
    L"<Label name=\"logo\" bkimage=\"logo.png\" height=\"20\"/>"
    L"<Label name=\"blank\" height=\"10\"/>"
    L"<Edit name=\"path\" tooltip=\"Path\" text=\"C:\\\" height=\"30\"/>"
    L"<Progress name=\"bar\" max=\"1000\" value=\"429\" height=\"10\"/>"
    L"<Control height=\"5\"/>"
    L"<HorizontalLayout name=\"box\" visible=\"false\" height=\"20\"><Button name=\"inner\" text=\"Inner\"/></HorizontalLayout>"
    L"<Button name=\"ok\" text=\"OK\" height=\"30\"/>"
    L"<Control/></VerticalLayout></Window>";

// The window 50 and 60 pixels away from the screen's corner, so that client and screen
// coordinates differ, laid out, with its client object.
class AccessibleTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.Usable());
    ASSERT_TRUE(window_.CreateHidden());
    SetWindowPos(window_.GetHWND(), nullptr, 50, 60, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    window_.Render();
    window_.notifications.clear();
    HRESULT result = S_OK;
    client_ = ClientAccessibleOf(window_.GetHWND(), &result);
    ASSERT_TRUE(SUCCEEDED(result) && client_) << std::hex << result;
  }

  std::vector<AccessibleChildInfo> Children() {
    std::vector<AccessibleChildInfo> children;
    HRESULT result = S_OK;
    EXPECT_TRUE(ReadAccessibleChildren(client_.Get(), &children, &result)) << std::hex << result;
    return children;
  }
  // The child that `name` is read as; a failed test when none is.
  AccessibleChildInfo Child(const std::wstring& name) {
    for (AccessibleChildInfo& child : Children()) {
      if (child.name == name) return child;
    }
    ADD_FAILURE() << "no child named " << Narrow(name);
    return {};
  }
  static VARIANT Id(LONG id) {
    VARIANT child;
    VariantInit(&child);
    V_VT(&child) = VT_I4;
    V_I4(&child) = id;
    return child;
  }

  ScopedComApartment com_;
  TestSkinWindow window_{kSkin};
  ComPtr<IAccessible> client_;
};

TEST_F(AccessibleTreeTest, ChildrenAreTheLeafControlsInSkinOrderWithTheirRolesAndNames) {
  const std::vector<std::pair<LONG, std::wstring>> expected = {
      {ROLE_SYSTEM_STATICTEXT, L"Title"},  {ROLE_SYSTEM_PUSHBUTTON, L"Close it"},
      {ROLE_SYSTEM_PUSHBUTTON, L"Minimise"}, {ROLE_SYSTEM_GRAPHIC, L""},
      {ROLE_SYSTEM_TEXT, L"Path"},         {ROLE_SYSTEM_PROGRESSBAR, L""},
      {ROLE_SYSTEM_PUSHBUTTON, L"Inner"},  {ROLE_SYSTEM_PUSHBUTTON, L"OK"},
  };
  const std::vector<AccessibleChildInfo> children = Children();
  ASSERT_EQ(children.size(), expected.size());
  for (size_t index = 0; index < children.size(); ++index) {
    EXPECT_EQ(children[index].id, static_cast<LONG>(index + 1));
    EXPECT_EQ(RoleText(children[index].role), RoleText(expected[index].first)) << index;
    EXPECT_EQ(children[index].name, expected[index].second) << index;
  }
}

TEST_F(AccessibleTreeTest, StatesFollowFocusEnablingAndVisibility) {
  EXPECT_EQ(StateText(Child(L"OK").state), L"focusable");
  EXPECT_EQ(StateText(Child(L"Path").state), L"focusable");
  EXPECT_EQ(StateText(Child(L"Title").state), L"normal");
  // The button in the hidden box is on no screen.
  EXPECT_EQ(StateText(Child(L"Inner").state), L"focusable|invisible");

  window_.Find(L"ok")->SetFocus();
  EXPECT_EQ(StateText(Child(L"OK").state), L"focused|focusable");
  EXPECT_EQ(StateText(Child(L"Path").state), L"focusable");
  ScopedVariant focus;
  ASSERT_EQ(client_->get_accFocus(focus.Pointer()), S_OK);
  ASSERT_TRUE(focus.Holds(VT_I4));
  EXPECT_EQ(V_I4(&focus.Get()), Child(L"OK").id);

  window_.Find(L"path")->SetEnabled(false);
  EXPECT_EQ(StateText(Child(L"Path").state), L"focusable|unavailable");
  window_.Find(L"box")->SetVisible(true);
  EXPECT_EQ(StateText(Child(L"Inner").state), L"focusable");
  window_.Find(L"ok")->SetVisible(false);
  EXPECT_EQ(StateText(Child(L"OK").state), L"focusable|invisible");
}

TEST_F(AccessibleTreeTest, LocationsAreTheControlsRectanglesOnTheScreen) {
  for (const AccessibleChildInfo& child : Children()) {
    if ((child.state & STATE_SYSTEM_INVISIBLE) != 0) continue;
    const CControlUI* control = AccessibleControls(window_.GetManager().GetRoot())[static_cast<size_t>(child.id - 1)];
    RECT expected = control->GetPos();
    MapWindowPoints(window_.GetHWND(), nullptr, reinterpret_cast<POINT*>(&expected), 2);
    EXPECT_TRUE(EqualRect(&child.location, &expected)) << Narrow(child.name) << " at " << child.location.left << ","
                                                        << child.location.top;
    EXPECT_GT(child.location.right, child.location.left) << Narrow(child.name);
  }
  // Screen coordinates: the window does not stand at the screen's corner.
  EXPECT_GE(Child(L"Title").location.left, 50);
  EXPECT_GE(Child(L"Title").location.top, 60);
}

TEST_F(AccessibleTreeTest, HitTestFindsTheChildUnderAScreenPoint) {
  const AccessibleChildInfo ok = Child(L"OK");
  ScopedVariant hit;
  ASSERT_EQ(client_->accHitTest((ok.location.left + ok.location.right) / 2, (ok.location.top + ok.location.bottom) / 2,
                                hit.Pointer()),
            S_OK);
  ASSERT_TRUE(hit.Holds(VT_I4));
  EXPECT_EQ(V_I4(&hit.Get()), ok.id);
}

TEST_F(AccessibleTreeTest, ValuesAreTheProgressPercentAndTheEditText) {
  EXPECT_EQ(Children()[5].value, L"42%");
  EXPECT_EQ(Child(L"Path").value, L"C:\\");
  static_cast<CProgressUI*>(window_.Find(L"bar"))->SetValue(1000);
  EXPECT_EQ(Children()[5].value, L"100%");
  EXPECT_EQ(Child(L"OK").value, L"");
}

TEST_F(AccessibleTreeTest, TheDefaultActionOfAButtonClicksIt) {
  const AccessibleChildInfo ok = Child(L"OK");
  EXPECT_EQ(ok.default_action, L"按下");
  EXPECT_EQ(Child(L"Path").default_action, L"");
  EXPECT_EQ(client_->accDoDefaultAction(Id(ok.id)), S_OK);
  PumpMessages();
  EXPECT_EQ(window_.notifications, std::vector<std::wstring>{L"click:ok"});

  // A button that is disabled, or on no screen, is not clicked.
  window_.notifications.clear();
  window_.Find(L"ok")->SetEnabled(false);
  EXPECT_FALSE(SUCCEEDED(client_->accDoDefaultAction(Id(ok.id))));
  EXPECT_FALSE(SUCCEEDED(client_->accDoDefaultAction(Id(Child(L"Inner").id))));
  EXPECT_FALSE(SUCCEEDED(client_->accDoDefaultAction(Id(Child(L"Path").id))));
  PumpMessages();
  EXPECT_TRUE(window_.notifications.empty());
}

TEST_F(AccessibleTreeTest, TheWindowItselfIsTheClientWithItsTitle) {
  ScopedVariant role;
  ASSERT_EQ(client_->get_accRole(Id(CHILDID_SELF), role.Pointer()), S_OK);
  EXPECT_EQ(RoleText(V_I4(&role.Get())), L"ROLE_SYSTEM_CLIENT");
  BSTR name = nullptr;
  ASSERT_EQ(client_->get_accName(Id(CHILDID_SELF), &name), S_OK);
  EXPECT_EQ(std::wstring(name), L"SkinUI test");
  SysFreeString(name);
  BSTR out = nullptr;
  EXPECT_EQ(client_->get_accName(Id(100), &out), E_INVALIDARG);
}

TEST_F(AccessibleTreeTest, AnObjectKeptAfterItsWindowHasGoneSaysSo) {
  DestroyWindow(window_.GetHWND());
  LONG count = 0;
  EXPECT_EQ(client_->get_accChildCount(&count), RPC_E_DISCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(client_->get_accName(Id(1), &name), RPC_E_DISCONNECTED);
}

// Runs this thread's messages for `ms` milliseconds: timers fire while the thread waits for them.
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpMessages();
  }
}

// WinEvents heard out of context: the hook's callback runs from this thread's message queue.
class WinEventRecorder {
 public:
  WinEventRecorder() {
    current_ = this;
    hook_ = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_VALUECHANGE, nullptr, &Record, GetCurrentProcessId(), 0,
                            WINEVENT_OUTOFCONTEXT);
  }
  ~WinEventRecorder() {
    if (hook_ != nullptr) UnhookWinEvent(hook_);
    current_ = nullptr;
  }
  WinEventRecorder(const WinEventRecorder&) = delete;
  WinEventRecorder& operator=(const WinEventRecorder&) = delete;

  bool Hooked() const { return hook_ != nullptr; }
  // The events for `window`'s client area so far, as (event, child id).
  std::vector<std::pair<DWORD, LONG>> Take(HWND window) {
    PumpMessages();
    std::vector<std::pair<DWORD, LONG>> taken;
    for (const Event& event : events_) {
      if (event.window == window && event.object == OBJID_CLIENT) taken.emplace_back(event.event, event.child);
    }
    events_.clear();
    return taken;
  }

 private:
  struct Event {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
  };
  static void CALLBACK Record(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (current_ != nullptr) current_->events_.push_back({event, window, object, child});
  }

  static inline WinEventRecorder* current_ = nullptr;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<Event> events_;
};

TEST_F(AccessibleTreeTest, FocusShowAndThrottledValueChangesAreAnnounced) {
  WinEventRecorder recorder;
  ASSERT_TRUE(recorder.Hooked());
  const HWND window = window_.GetHWND();
  recorder.Take(window);

  window_.Find(L"ok")->SetFocus();
  EXPECT_EQ(recorder.Take(window), (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_FOCUS, Child(L"OK").id}}));

  auto* bar = static_cast<CProgressUI*>(window_.Find(L"bar"));
  const LONG bar_id = Children()[5].id;
  const std::pair<DWORD, LONG> value_change{EVENT_OBJECT_VALUECHANGE, bar_id};
  // The value the skin set was told a moment ago; a new interval starts after this wait.
  PumpFor(ValueChangeThrottle::kIntervalMs + 100);
  recorder.Take(window);
  // The first change is told at once, the next ones within the interval are held back...
  for (int value = 430; value < 440; ++value) bar->SetValue(value);
  EXPECT_EQ(recorder.Take(window), (std::vector<std::pair<DWORD, LONG>>{value_change}));
  // ...and the last of them is told once the interval is over.
  PumpFor(ValueChangeThrottle::kIntervalMs + 100);
  EXPECT_EQ(recorder.Take(window), (std::vector<std::pair<DWORD, LONG>>{value_change}));
  PumpFor(ValueChangeThrottle::kIntervalMs + 100);
  EXPECT_TRUE(recorder.Take(window).empty());
  // The final value is told at once, even right after another.
  bar->SetValue(500);
  bar->SetValue(1000);
  EXPECT_EQ(recorder.Take(window), (std::vector<std::pair<DWORD, LONG>>{value_change, value_change}));
}

// A page that shows announces its elements, then where the focus went: its first button, or,
// when it has none, the page itself, which is no child of its own, so the window's client area.
TEST(AccessibleTabTest, ThePageATabShowsIsAnnounced) {
  const struct {
    const char* what;
    const wchar_t* second_page;
    std::vector<std::pair<DWORD, LONG>> events;
  } cases[] = {
      {"a page with a button", L"<Button name=\"b\" text=\"B\"/><Label name=\"c\" text=\"C\"/>",
       {{EVENT_OBJECT_SHOW, 2}, {EVENT_OBJECT_SHOW, 3}, {EVENT_OBJECT_FOCUS, 2}}},
      {"a page without one", L"<Label name=\"c\" text=\"C\"/>",
       {{EVENT_OBJECT_SHOW, 2}, {EVENT_OBJECT_FOCUS, CHILDID_SELF}}},
  };
  ScopedComApartment com;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestSkinWindow window(std::wstring(L"<Window size=\"200,100\"><TabLayout name=\"tabs\">"
                                       L"<HorizontalLayout><Button name=\"a\" text=\"A\"/></HorizontalLayout>"
                                       L"<HorizontalLayout>") +
                          c.second_page + L"</HorizontalLayout></TabLayout></Window>");
    ASSERT_TRUE(window.CreateHidden());
    window.Render();
    WinEventRecorder recorder;
    ASSERT_TRUE(recorder.Hooked());
    recorder.Take(window.GetHWND());

    ASSERT_TRUE(static_cast<CTabLayoutUI*>(window.Find(L"tabs"))->SelectItem(1));
    EXPECT_EQ(recorder.Take(window.GetHWND()), c.events);
  }
}

}  // namespace
}  // namespace SkinUI
