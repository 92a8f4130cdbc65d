// Skin-built windows as a user meets them: their lifecycle, the hit test of the frameless window,
// modal loops, centring and closing. The windows stay hidden; messages are sent as the system
// would send them.
#include "skinui/core/uibase.h"

#include <gtest/gtest.h>

#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

TEST_F(WindowTest, InitWindowAndWindowInitComeOnce) {
  TestSkinWindow window(kButtonsSkin);
  ASSERT_TRUE(window.CreateHidden());
  EXPECT_EQ(window.init_window_calls, 1);
  EXPECT_TRUE(window.notifications.empty());
  window.Render();
  window.Render();
  EXPECT_EQ(window.notifications, std::vector<std::wstring>{L"windowinit:"});
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
