// Skin-built windows as a user meets them: notifications, clicks by mouse and keyboard, the
// hit test of the frameless window, modal loops and display scale. The windows stay hidden;
// messages are sent as the system would send them.
#include "skinui/core/uibase.h"

#include <gtest/gtest.h>

#include "skinui/control/uibutton.h"
#include "skinui/core/uibuilder.h"
#include "skinui/layout/uicontainer.h"
#include "skinui/testing/skin_test_window.h"

namespace SkinUI {
namespace {

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

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

constexpr wchar_t kButtonsSkin[] =
    L"<Window size=\"300,200\" caption=\"0,0,0,40\" sizebox=\"4,4,4,4\">"
    L"<VerticalLayout><HorizontalLayout height=\"40\"><Label name=\"title\" text=\"t\"/>"
    L"<Button name=\"close\" width=\"20\"/></HorizontalLayout>"
    L"<HorizontalLayout><Button name=\"ok\" width=\"100\" height=\"30\"/><Control/></HorizontalLayout>"
    L"</VerticalLayout></Window>";

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.CreateHidden());
    window_.Render();
    window_.notifications.clear();
  }

  void Mouse(UINT message, POINT point) { window_.HandleMessage(message, 0, ClientPoint(point.x, point.y)); }

  TestSkinWindow window_{kButtonsSkin};
};

TEST_F(WindowTest, InitWindowAndWindowInitComeOnce) {
  TestSkinWindow window(kButtonsSkin);
  ASSERT_TRUE(window.CreateHidden());
  EXPECT_EQ(window.init_window_calls, 1);
  EXPECT_TRUE(window.notifications.empty());
  window.Render();
  window.Render();
  EXPECT_EQ(window.notifications, std::vector<std::wstring>{L"windowinit:"});
}

TEST_F(WindowTest, PressAndReleaseOverAButtonClicksIt) {
  const POINT ok = Center(window_.Find(L"ok")->GetPos());
  Mouse(WM_MOUSEMOVE, ok);
  Mouse(WM_LBUTTONDOWN, ok);
  Mouse(WM_LBUTTONUP, ok);
  EXPECT_EQ(window_.notifications, (std::vector<std::wstring>{L"setfocus:ok", L"click:ok"}));
}

TEST_F(WindowTest, ReleaseOutsideTheButtonDoesNotClick) {
  const POINT ok = Center(window_.Find(L"ok")->GetPos());
  Mouse(WM_MOUSEMOVE, ok);
  Mouse(WM_LBUTTONDOWN, ok);
  Mouse(WM_MOUSEMOVE, POINT{250, 150});
  Mouse(WM_LBUTTONUP, POINT{250, 150});
  EXPECT_EQ(window_.notifications, std::vector<std::wstring>{L"setfocus:ok"});
}

TEST_F(WindowTest, HiddenOrDisabledButtonsDoNotClick) {
  auto* ok = static_cast<CButtonUI*>(window_.Find(L"ok"));
  ok->SetEnabled(false);
  EXPECT_FALSE(ok->Activate());
  ok->SetEnabled(true);
  ok->SetVisible(false);
  EXPECT_FALSE(ok->Activate());
  EXPECT_TRUE(window_.notifications.empty());
}

TEST_F(WindowTest, SpaceAndEnterClickTheFocusedButton) {
  window_.Find(L"ok")->SetFocus();
  window_.HandleMessage(WM_KEYDOWN, VK_SPACE, 0);
  window_.HandleMessage(WM_KEYDOWN, VK_RETURN, 0);
  window_.HandleMessage(WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(window_.notifications, (std::vector<std::wstring>{L"setfocus:ok", L"click:ok", L"click:ok"}));
}

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

struct HitCase {
  POINT client;
  LRESULT expected;
};

class HitTestTest : public WindowTest, public testing::WithParamInterface<HitCase> {};

TEST_P(HitTestTest, GivesTheAreaUnderThePoint) {
  RECT window{};
  GetWindowRect(window_.GetHWND(), &window);
  const POINT screen{window.left + GetParam().client.x, window.top + GetParam().client.y};
  EXPECT_EQ(window_.HandleMessage(WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Points, HitTestTest,
    testing::Values(HitCase{{1, 1}, HTTOPLEFT}, HitCase{{298, 1}, HTTOPRIGHT}, HitCase{{1, 198}, HTBOTTOMLEFT},
                    HitCase{{298, 198}, HTBOTTOMRIGHT}, HitCase{{1, 100}, HTLEFT}, HitCase{{298, 100}, HTRIGHT},
                    HitCase{{150, 1}, HTTOP}, HitCase{{150, 198}, HTBOTTOM},
                    // The title label drags the window; the close button in the caption clicks.
                    HitCase{{100, 20}, HTCAPTION}, HitCase{{290, 20}, HTCLIENT},
                    // Below the caption everything is client area.
                    HitCase{{200, 100}, HTCLIENT}));

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

struct ModalCase {
  const char* what;
  UINT message;
  WPARAM wParam;
  UINT result;
};

class ModalTest : public testing::TestWithParam<ModalCase> {};

TEST_P(ModalTest, AnswersWithTheCodeOfTheClose) {
  TestSkinWindow owner(kButtonsSkin);
  ASSERT_TRUE(owner.CreateHidden());
  TestSkinWindow box(kButtonsSkin);
  ASSERT_NE(box.Create(owner.GetHWND(), L"box", WS_POPUP, 0), nullptr);
  PostMessageW(box.GetHWND(), GetParam().message, GetParam().wParam, 0);
  EXPECT_EQ(box.ShowModal(), GetParam().result) << GetParam().what;
  EXPECT_FALSE(IsWindow(box.GetHWND()));
  EXPECT_TRUE(IsWindowEnabled(owner.GetHWND()));
}

INSTANTIATE_TEST_SUITE_P(Closes, ModalTest,
                         testing::Values(ModalCase{"Close(IDOK)", WM_CLOSE, IDOK, IDOK},
                                         ModalCase{"Close(7)", WM_CLOSE, 7, 7},
                                         ModalCase{"system close", WM_SYSCOMMAND, SC_CLOSE, 0}));

TEST(ModalQuitTest, QuitEndsTheLoopAndIsPostedAgain) {
  TestSkinWindow box(kButtonsSkin);
  ASSERT_NE(box.Create(nullptr, L"box", WS_POPUP, 0), nullptr);
  PostQuitMessage(3);
  EXPECT_EQ(box.ShowModal(), 0u);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
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

TEST(CenterTest, CentresInTheWorkAreaWithoutAnOwner) {
  TestSkinWindow window(L"<Window size=\"200,100\"><Control/></Window>");
  ASSERT_TRUE(window.CreateHidden());
  window.CenterWindow();
  RECT rect{};
  GetWindowRect(window.GetHWND(), &rect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window.GetHWND(), MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_NEAR((rect.left + rect.right) / 2, (monitor.rcWork.left + monitor.rcWork.right) / 2, 1);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, (monitor.rcWork.top + monitor.rcWork.bottom) / 2, 1);
}

TEST(CloseTest, CloseOnAWindowThatIsGoneDoesNothing) {
  TestSkinWindow window(kButtonsSkin);
  ASSERT_TRUE(window.CreateHidden());
  DestroyWindow(window.GetHWND());
  window.Close(5);
  MSG msg{};
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

}  // namespace
}  // namespace SkinUI
