// A window's manager as the window's code meets it: the focus moving between controls (and with
// Tab), the order and the queueing of notifications, the display scale and the controls' timers.
#include "skinui/core/uimanager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skinui/control/uibutton.h"
#include "skinui/core/uibuilder.h"
#include "skinui/layout/uicontainer.h"
#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

// A page as the installer's pages are: its own skin, the window's manager, and a notifier of
// its own registered while the window's tree is built.
class RecordingPage : public CHorizontalLayoutUI, public INotifyUI {
 public:
  RecordingPage(CSkinManagerUI& manager, std::vector<std::wstring>& log) : m_log(log) {
    SetManager(&manager, nullptr, false);
    CSkinBuilder builder;
    Add(builder.Create(L"<Window><Button name=\"page_button\"/></Window>", nullptr, nullptr, &manager));
    manager.AddNotifier(this);
  }
  void Notify(TNotifyUI& msg) override { m_log.push_back(L"page " + DescribeNotification(msg)); }

 private:
  std::vector<std::wstring>& m_log;
};

TEST_F(WindowTest, FocusMovingAwaySendsKillFocusFirst) {
  window_.Find(L"ok")->SetFocus();
  window_.Find(L"close")->SetFocus();
  window_.GetManager().SetFocus(nullptr);
  EXPECT_EQ(window_.notifications, (std::vector<std::wstring>{L"setfocus:ok", L"killfocus:ok", L"setfocus:close",
                                                              L"killfocus:close"}));
}

TEST_F(WindowTest, AsynchronousNotificationsArriveFromTheMessageLoop) {
  window_.GetManager().SendNotify(window_.Find(L"ok"), L"later", 0, 0, true);
  EXPECT_TRUE(window_.notifications.empty());
  PumpMessages();
  EXPECT_EQ(window_.notifications, std::vector<std::wstring>{L"later:ok"});
}

// Tab stops among what they are not: a spacer, a label, controls under a hidden page or a hidden
// parent, and a button that a test disables.
constexpr wchar_t kTabStopsSkin[] =
    L"<Window size=\"300,300\"><VerticalLayout>"
    L"<HorizontalLayout height=\"30\"><Button name=\"first\"/><Button width=\"1\"/><Edit name=\"edit\"/>"
    L"<Label name=\"label\"/></HorizontalLayout>"
    L"<TabLayout name=\"tab\" height=\"100\"><VerticalLayout name=\"page0\"><Button name=\"on_page0\"/>"
    L"</VerticalLayout><VerticalLayout name=\"page1\"><Control/><Button name=\"on_page1\"/></VerticalLayout>"
    L"<VerticalLayout name=\"empty_page\"><Label name=\"nothing\"/></VerticalLayout></TabLayout>"
    L"<HorizontalLayout visible=\"false\" height=\"30\"><Button name=\"under_hidden\"/></HorizontalLayout>"
    L"<HorizontalLayout height=\"30\"><Button name=\"disabled\"/><Button name=\"last\"/></HorizontalLayout>"
    L"</VerticalLayout></Window>";

class TabStopsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.CreateHidden());
    window_.Render();
    window_.Find(L"disabled")->SetEnabled(false);
  }

  std::wstring Focused() {
    CControlUI* focus = window_.GetManager().GetFocus();
    return focus != nullptr ? focus->GetName() : L"(none)";
  }

  TestSkinWindow window_{kTabStopsSkin};
};

TEST_F(TabStopsTest, TabVisitsTheShownNamedButtonsAndEditsInTreeOrderAndWrapsAround) {
  struct Case {
    const char* what;
    const wchar_t* from;  // null: nothing focused
    bool shift;
    const wchar_t* to;
  };
  const Case cases[] = {
      {"from nothing, Tab takes the first", nullptr, false, L"first"},
      {"from nothing, Shift+Tab takes the last", nullptr, true, L"last"},
      {"the unnamed spacer is passed over", L"first", false, L"edit"},
      {"the label and the hidden pages are passed over", L"edit", false, L"on_page0"},
      {"the hidden parent and the disabled button are passed over", L"on_page0", false, L"last"},
      {"Tab wraps from the last to the first", L"last", false, L"first"},
      {"Shift+Tab wraps from the first to the last", L"first", true, L"last"},
      {"Shift+Tab goes back over what Tab passed", L"last", true, L"on_page0"},
      {"Shift+Tab passes the spacer too", L"edit", true, L"first"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window_.GetManager().SetFocus(c.from != nullptr ? window_.Find(c.from) : nullptr);
    PressTab(window_, c.shift);
    EXPECT_EQ(Focused(), c.to);
  }
}

TEST_F(TabStopsTest, SelectedPageTakesTheFocusOnItsFirstStop) {
  auto* tab = static_cast<CTabLayoutUI*>(window_.Find(L"tab"));
  ASSERT_TRUE(tab->SelectItem(1));
  EXPECT_EQ(Focused(), L"on_page1");
  std::vector<std::wstring> stops;
  for (CControlUI* control : window_.GetManager().TabOrder()) stops.push_back(control->GetName());
  EXPECT_EQ(stops, (std::vector<std::wstring>{L"first", L"edit", L"on_page1", L"last"}));
  // A page without a stop takes the focus itself, and Tab goes on from the first stop.
  ASSERT_TRUE(tab->SelectItem(2));
  EXPECT_EQ(Focused(), L"empty_page");
  PressTab(window_);
  EXPECT_EQ(Focused(), L"first");
}

TEST(TabStopsWithoutAnyTest, TabChangesNothing) {
  TestSkinWindow window(L"<Window size=\"100,100\"><VerticalLayout><Label name=\"l\"/></VerticalLayout></Window>");
  ASSERT_TRUE(window.CreateHidden());
  EXPECT_FALSE(window.GetManager().MoveFocus(true));
  EXPECT_EQ(window.GetManager().GetFocus(), nullptr);
}

// A notifier registered after the window, which notes how many notifications the window had
// heard by the time it hears one.
class LateNotifier : public INotifyUI {
 public:
  LateNotifier(TestSkinWindow& window, std::vector<std::wstring>& log) : m_window(window), m_log(log) {}
  void Notify(TNotifyUI& msg) override {
    m_log.push_back(L"notifier " + msg.type + L" after " + std::to_wstring(m_window.notifications.size()));
  }

 private:
  TestSkinWindow& m_window;
  std::vector<std::wstring>& m_log;
};

// Sent at once (false) or queued (true), a notification takes the same way.
class DeliveryOrderTest : public WindowTest, public testing::WithParamInterface<bool> {};

TEST_P(DeliveryOrderTest, SenderHandlersHearFirstThenTheNotifiersInTheirOrder) {
  std::vector<std::wstring> log;
  CControlUI* ok = window_.Find(L"ok");
  ok->OnNotify.push_back([&](TNotifyUI& msg) {
    log.push_back(L"handler " + msg.type + L" after " + std::to_wstring(window_.notifications.size()));
  });
  LateNotifier late(window_, log);
  window_.GetManager().AddNotifier(&late);
  window_.GetManager().SendNotify(ok, L"ping", 0, 0, GetParam());
  PumpMessages();
  window_.GetManager().RemoveNotifier(&late);
  ok->OnNotify.clear();
  EXPECT_EQ(window_.notifications, std::vector<std::wstring>{L"ping:ok"});
  EXPECT_EQ(log, (std::vector<std::wstring>{L"handler ping after 0", L"notifier ping after 1"}));
}

INSTANTIATE_TEST_SUITE_P(SentAtOnceOrQueued, DeliveryOrderTest, testing::Bool());

TEST(NotificationOrderTest, PagesHearBeforeTheWindow) {
  std::vector<std::wstring> log;
  TestSkinWindow window(L"<Window><TabLayout><PageUI/></TabLayout></Window>");
  window.create_control = [&](CSkinManagerUI& manager, const wchar_t* name) -> CControlUI* {
    return new RecordingPage(manager, log);
  };
  ASSERT_TRUE(window.CreateHidden());
  static_cast<CButtonUI*>(window.Find(L"page_button"))->Activate();
  ASSERT_EQ(window.notifications, std::vector<std::wstring>{L"click:page_button"});
  EXPECT_EQ(log, std::vector<std::wstring>{L"page click:page_button"});
}

TEST(DisplayScaleTest, SetDpiScalesTheWindowAndItsFonts) {
  TestSkinWindow window(L"<Window size=\"200,100\"><Font id=\"0\" name=\"Arial\" size=\"12\"/><Control/></Window>");
  ASSERT_TRUE(window.CreateHidden());
  CSkinManagerUI& manager = window.GetManager();
  manager.SetDPI(240);
  EXPECT_EQ(manager.GetDPI().GetScale(), 300);
  RECT rect{};
  GetWindowRect(window.GetHWND(), &rect);
  EXPECT_EQ(rect.right - rect.left, 600);
  EXPECT_EQ(rect.bottom - rect.top, 300);
  LOGFONTW font{};
  GetObjectW(manager.Fonts().Get(0).Handle(), sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, -36);
  // The window hears of the new scale after the message loop runs.
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, window.GetHWND(), WM_USER + 200, WM_USER + 200, PM_REMOVE));
}

// Counts the timer events it receives.
class TimedControl : public CControlUI {
 public:
  void DoEvent(TEventUI& event) override {
    if (event.type == EventType::kTimer) timer_ids.push_back(static_cast<UINT>(event.wParam));
  }
  std::vector<UINT> timer_ids;
};

TEST(TimerTest, ControlsGetTheirTimersUntilKilled) {
  TestSkinWindow window(L"<Window size=\"100,100\"><VerticalLayout name=\"root\"/></Window>");
  ASSERT_TRUE(window.CreateHidden());
  auto owned = std::make_unique<TimedControl>();
  TimedControl* control = owned.get();
  static_cast<CContainerUI*>(window.Find(L"root"))->Add(std::move(owned));
  CSkinManagerUI& manager = window.GetManager();
  ASSERT_TRUE(manager.SetTimer(control, 7, 10));
  const DWORD start = GetTickCount();
  while (control->timer_ids.size() < 2 && GetTickCount() - start < 5000) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    PumpMessages();
  }
  ASSERT_GE(control->timer_ids.size(), 2u);
  EXPECT_EQ(control->timer_ids.front(), 7u);
  manager.KillTimer(control, 7);
  control->timer_ids.clear();
  Sleep(50);
  PumpMessages();
  EXPECT_TRUE(control->timer_ids.empty());
}

}  // namespace
}  // namespace SkinUI
