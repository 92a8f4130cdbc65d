// Tooltips as the pointer meets them: a rest on a control with a tooltip text shows the text just
// below the pointer; leaving, pressing, deactivating or hiding the window takes it away, and a new
// text shows at once.
#include "skinui/utils/uitooltip.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "skinui/control/uiedit.h"
#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

// A tipped button, a tipped edit and a label without a tip on top; below, a row whose tip covers its child.
constexpr wchar_t kTipsSkin[] =
    L"<Window size=\"300,200\"><VerticalLayout>"
    L"<HorizontalLayout height=\"40\"><Button name=\"tipped\" width=\"100\" tooltip=\"请输入或选择安装路径\"/>"
    L"<Edit name=\"typed\" width=\"80\" tooltip=\"edit tip\"/>"
    L"<Label name=\"plain\" text=\"t\"/></HorizontalLayout>"
    L"<HorizontalLayout name=\"row\" tooltip=\"row tip\"><Control name=\"inner\"/></HorizontalLayout>"
    L"</VerticalLayout></Window>";

BOOL CALLBACK KeepIfShownTip(HWND window, LPARAM context) {
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  if (std::wstring(class_name) != CToolTipUI::kWindowClassName || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(context) = window;
  return FALSE;
}

// The visible tooltip window of this thread: the test's windows are the only ones.
HWND ShownTip() {
  HWND found = nullptr;
  // A named function rather than a lambda: on x86 the callback must be stdcall.
  EnumThreadWindows(GetCurrentThreadId(), &KeepIfShownTip, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class ToolTipTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.CreateHidden());
    window_.Render();
  }

  POINT At(const wchar_t* name) { return Center(window_.Find(name)->GetPos()); }
  void Send(UINT message, WPARAM wParam, POINT point) {
    window_.HandleMessage(message, wParam, ClientPoint(point.x, point.y));
  }
  void MoveTo(POINT point) { Send(WM_MOUSEMOVE, 0, point); }

  // The pointer stays where it is for `milliseconds`: only timers run meanwhile, so that the
  // real pointer, which is elsewhere on the display, takes no part.
  // Stops early once a tip shows when `until_shown`.
  static void Rest(DWORD milliseconds, bool until_shown = false) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && !(until_shown && ShownTip() != nullptr)) {
      MSG msg{};
      while (PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
  }
  // The rest, and on a loaded machine the late timer too: a tip that is due shows within it.
  void RestOn(const wchar_t* name) {
    MoveTo(At(name));
    Rest(CToolTipUI::kRestMilliseconds + 3000, /*until_shown=*/true);
  }

  TestSkinWindow window_{kTipsSkin};
};

TEST_F(ToolTipTest, ARestShowsTheTextJustBelowThePointer) {
  const DWORD start = GetTickCount();
  MoveTo(At(L"tipped"));
  Rest(CToolTipUI::kRestMilliseconds / 3);
  // Before the rest is over nothing shows (unless the machine was too slow to tell).
  if (GetTickCount() - start < CToolTipUI::kRestMilliseconds - 50) EXPECT_EQ(ShownTip(), nullptr);
  Rest(CToolTipUI::kRestMilliseconds + 3000, /*until_shown=*/true);
  const HWND tip = ShownTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(TextOf(tip), L"请输入或选择安装路径");
  POINT pointer = At(L"tipped");
  ClientToScreen(window_.GetHWND(), &pointer);
  RECT place{};
  GetWindowRect(tip, &place);
  const int dpi = GetDeviceCaps(ScopedGetDc(nullptr).Get(), LOGPIXELSY);
  EXPECT_EQ(place.left, pointer.x);
  EXPECT_EQ(place.top, pointer.y + MulDiv(CToolTipUI::kBelowPointer, dpi, 96));
  // The whole text fits: the tip is higher than a line of the system's tooltip font.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  const ScopedGdiObject font(CreateFontIndirectW(&metrics.lfStatusFont));
  const ScopedGetDc screen(nullptr);
  const ScopedSelection selected(screen.Get(), font.Get());
  TEXTMETRICW text{};
  GetTextMetricsW(screen.Get(), &text);
  EXPECT_GT(place.bottom - place.top, text.tmHeight);
  EXPECT_GT(place.right - place.left, 10 * text.tmAveCharWidth);
}

TEST_F(ToolTipTest, TheTipOfTheControlOrOfItsNearestTippedAncestorShows) {
  RestOn(L"plain");
  EXPECT_EQ(ShownTip(), nullptr);
  RestOn(L"inner");
  ASSERT_NE(ShownTip(), nullptr);
  EXPECT_EQ(TextOf(ShownTip()), L"row tip");
}

TEST_F(ToolTipTest, ADisabledControlShowsNoTip) {
  window_.Find(L"tipped")->SetEnabled(false);
  RestOn(L"tipped");
  EXPECT_EQ(ShownTip(), nullptr);
}

struct HidingCase {
  const char* what;
  UINT message;
  WPARAM wParam;
};

class ToolTipHidingTest : public ToolTipTest, public testing::WithParamInterface<HidingCase> {};

TEST_P(ToolTipHidingTest, TheTipGoes) {
  RestOn(L"tipped");
  ASSERT_NE(ShownTip(), nullptr);
  Send(GetParam().message, GetParam().wParam, At(L"tipped"));
  EXPECT_EQ(ShownTip(), nullptr) << GetParam().what;
  if (GetParam().message == WM_LBUTTONDOWN) Send(WM_LBUTTONUP, 0, At(L"tipped"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolTipHidingTest,
    testing::Values(HidingCase{"the pointer leaves the window", WM_MOUSELEAVE, 0},
                    HidingCase{"the left button is pressed", WM_LBUTTONDOWN, MK_LBUTTON},
                    HidingCase{"the right button is pressed", WM_RBUTTONDOWN, MK_RBUTTON},
                    HidingCase{"the window is deactivated", WM_ACTIVATE, WA_INACTIVE},
                    HidingCase{"another program is activated", WM_ACTIVATEAPP, FALSE},
                    HidingCase{"the window is hidden", WM_SHOWWINDOW, FALSE},
                    HidingCase{"the window is minimised", WM_SIZE, SIZE_MINIMIZED},
                    HidingCase{"the window goes", WM_DESTROY, 0}));

TEST_F(ToolTipTest, ThePointerMovingToAnotherControlTakesTheTipAway) {
  RestOn(L"tipped");
  ASSERT_NE(ShownTip(), nullptr);
  MoveTo(At(L"plain"));
  EXPECT_EQ(ShownTip(), nullptr);
  // Moving over the control whose tip shows keeps it.
  RestOn(L"inner");
  MoveTo(POINT{At(L"inner").x + 5, At(L"inner").y + 5});
  ASSERT_NE(ShownTip(), nullptr);
  EXPECT_EQ(TextOf(ShownTip()), L"row tip");
}

TEST_F(ToolTipTest, AfterAPressTheTipStaysAwayUntilThePointerComesBack) {
  RestOn(L"tipped");
  Send(WM_LBUTTONDOWN, MK_LBUTTON, At(L"tipped"));
  Send(WM_LBUTTONUP, 0, At(L"tipped"));
  RestOn(L"tipped");
  EXPECT_EQ(ShownTip(), nullptr);
  MoveTo(At(L"plain"));
  RestOn(L"tipped");
  ASSERT_NE(ShownTip(), nullptr);
  EXPECT_EQ(TextOf(ShownTip()), L"请输入或选择安装路径");
}

TEST_F(ToolTipTest, ANewTextShowsAtOnceAndAnEmptyOneTakesTheTipAway) {
  RestOn(L"tipped");
  const HWND tip = ShownTip();
  ASSERT_NE(tip, nullptr);
  RECT before{};
  GetWindowRect(tip, &before);
  const std::wstring folder = L"D:\\Program Files (x86)\\Bokrin\\Reader\\";
  window_.Find(L"tipped")->SetToolTip(folder);
  ASSERT_EQ(ShownTip(), tip);
  EXPECT_EQ(TextOf(tip), folder);
  RECT after{};
  GetWindowRect(tip, &after);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_GT(after.right - after.left, before.right - before.left);
  window_.Find(L"tipped")->SetToolTip(L"");
  EXPECT_EQ(ShownTip(), nullptr);
}

// An edit open for typing lies under a native window of its own, which the toolkit's window
// never sees the pointer over: resting there shows the edit's tip all the same, and leaving
// that window takes it away.
TEST_F(ToolTipTest, AnOpenEditShowsItsTipOverItsNativeWindow) {
  auto* edit = static_cast<CEditUI*>(window_.Find(L"typed"));
  edit->SetFocus();
  const HWND native = edit->GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  RECT inside{};
  GetClientRect(native, &inside);
  SendMessageW(native, WM_MOUSEMOVE, 0, MAKELPARAM(inside.right / 2, inside.bottom / 2));
  Rest(CToolTipUI::kRestMilliseconds + 3000, /*until_shown=*/true);
  ASSERT_NE(ShownTip(), nullptr);
  EXPECT_EQ(TextOf(ShownTip()), L"edit tip");
  SendMessageW(native, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(ShownTip(), nullptr);
}

TEST_F(ToolTipTest, AControlThatGoesTakesItsTipAlong) {
  RestOn(L"inner");
  ASSERT_NE(ShownTip(), nullptr);
  window_.GetManager().AttachDialog(std::make_unique<CControlUI>());
  EXPECT_EQ(ShownTip(), nullptr);
}

}  // namespace
}  // namespace SkinUI
