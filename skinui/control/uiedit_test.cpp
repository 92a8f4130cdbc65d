// Typing into a skin edit: the native edit that opens over it, where it goes, what it keeps,
// the pop-up form it takes in a layered window, and the hint it shows while empty.
#include "skinui/control/uiedit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "skinui/core/rect_convert.h"
#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

std::wstring EditSkin(const wchar_t* window_attributes) {
  return std::wstring(L"<Window size=\"300,100\" ") + window_attributes +
         L"><Font id=\"5\" name=\"Arial\" size=\"14\"/><VerticalLayout><HorizontalLayout height=\"40\">"
         L"<Edit name=\"path\" font=\"5\" maxchar=\"8\" text=\"C:\\a\" textpadding=\"5,0,85,0\" width=\"200\"/>"
         L"<Button name=\"other\"/></HorizontalLayout><Control/></VerticalLayout></Window>";
}

class EditTest : public testing::Test {
 protected:
  CEditUI& Open(const wchar_t* window_attributes) {
    window_ = std::make_unique<TestSkinWindow>(EditSkin(window_attributes));
    EXPECT_TRUE(window_->CreateHidden());
    ShowWindow(window_->GetHWND(), SW_SHOWNORMAL);
    window_->Render();
    auto& edit = *static_cast<CEditUI*>(window_->Find(L"path"));
    const POINT center = Center(edit.GetPos());
    window_->HandleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(center.x, center.y));
    window_->HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(center.x, center.y));
    return edit;
  }

  std::unique_ptr<TestSkinWindow> window_;
};

TEST_F(EditTest, ClickOpensANativeEditOverTheTextArea) {
  CEditUI& edit = Open(L"");
  HWND native = edit.GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(GetParent(native), window_->GetHWND());
  RECT place{};
  GetWindowRect(native, &place);
  MapWindowPoints(nullptr, window_->GetHWND(), reinterpret_cast<POINT*>(&place), 2);
  // Inside the text padding, as high as the font and centred in the control.
  const LONG font_height = window_->GetManager().Fonts().Get(5).metrics.tmHeight;
  EXPECT_EQ(place.left, 5);
  EXPECT_EQ(place.right, 200 - 85);
  EXPECT_EQ(place.bottom - place.top, font_height);
  EXPECT_NEAR((place.top + place.bottom) / 2, 20, 1);
  wchar_t text[32]{};
  GetWindowTextW(native, text, 32);
  EXPECT_STREQ(text, L"C:\\a");
  EXPECT_EQ(SendMessageW(native, EM_GETLIMITTEXT, 0, 0), 8);
  EXPECT_EQ(GetFocus(), native);
}

TEST_F(EditTest, TypedTextStaysWhenTheFocusMovesOn) {
  CEditUI& edit = Open(L"");
  HWND native = edit.GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  SetWindowTextW(native, L"D:\\books");
  EXPECT_EQ(edit.GetText(), L"D:\\books");

  window_->notifications.clear();
  const POINT other = Center(window_->Find(L"other")->GetPos());
  window_->HandleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(other.x, other.y));
  window_->HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(other.x, other.y));
  PumpMessages();
  EXPECT_EQ(edit.GetNativeEditWindow(), nullptr);
  EXPECT_FALSE(IsWindow(native));
  EXPECT_EQ(edit.GetText(), L"D:\\books");
  ASSERT_FALSE(window_->notifications.empty());
  EXPECT_EQ(window_->notifications.front(), L"killfocus:path");
}

TEST_F(EditTest, EnterClosesTheNativeEditAndKeepsTheText) {
  CEditUI& edit = Open(L"");
  HWND native = edit.GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  SetWindowTextW(native, L"E:\\x");
  SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(IsWindow(native));
  EXPECT_EQ(edit.GetText(), L"E:\\x");
  // The keys go back to the window, where the edit keeps the focus and Enter opens it again.
  EXPECT_EQ(GetFocus(), window_->GetHWND());
  EXPECT_TRUE(edit.IsFocused());
  window_->HandleMessage(WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_NE(edit.GetNativeEditWindow(), nullptr);
  EXPECT_EQ(GetFocus(), edit.GetNativeEditWindow());
}

// Tab reaches the edit like any other stop and leaves it from inside the native edit, in a
// plain window and in a layered one, whose native edit is a pop-up of its own.
TEST_F(EditTest, TabOpensTheNativeEditAndTabTypedThereMovesOn) {
  for (const wchar_t* attributes : {L"", L"bktrans=\"true\""}) {
    SCOPED_TRACE(*attributes != 0 ? "layered" : "plain");
    CEditUI& edit = Open(attributes);
    auto* other = window_->Find(L"other");
    other->SetFocus();
    PumpMessages();
    ASSERT_EQ(edit.GetNativeEditWindow(), nullptr);

    PressTab(*window_, /*shift=*/true);
    ASSERT_TRUE(edit.IsFocused());
    HWND native = edit.GetNativeEditWindow();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(GetFocus(), native);

    SetWindowTextW(native, L"F:\\y");
    SendMessageW(native, WM_KEYDOWN, VK_TAB, 0);
    PumpMessages();
    EXPECT_TRUE(other->IsFocused());
    EXPECT_FALSE(IsWindow(native));
    // Under Wine the activation of a layered window comes back through the X server, late on a
    // loaded machine: the keys are the window's once it has.
    for (const DWORD start = GetTickCount(); GetFocus() != window_->GetHWND() && GetTickCount() - start < 3000;) {
      PumpMessages();
      Sleep(20);
    }
    EXPECT_EQ(GetFocus(), window_->GetHWND());
    EXPECT_EQ(edit.GetText(), L"F:\\y");
  }
}

TEST_F(EditTest, LayeredWindowGetsAPopUpAtTheSameScreenPlace) {
  CEditUI& edit = Open(L"bktrans=\"true\"");
  HWND native = edit.GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(GetWindowLongW(native, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_NE(GetWindowLongW(native, GWL_STYLE) & WS_POPUP, 0);
  EXPECT_EQ(GetWindow(native, GW_OWNER), window_->GetHWND());
  RECT place{};
  GetWindowRect(native, &place);
  RECT expected = edit.NativeEditRect();
  MapWindowPoints(window_->GetHWND(), nullptr, reinterpret_cast<POINT*>(&expected), 2);
  EXPECT_EQ(ToUiRect(place), ToUiRect(expected));
}

TEST_F(EditTest, ControlThatGoesTakesItsNativeEditAlong) {
  CEditUI& edit = Open(L"");
  HWND native = edit.GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  DestroyWindow(window_->GetHWND());
  window_.reset();
  EXPECT_FALSE(IsWindow(native));
}

// The colour a premultiplied pixel shows, without its alpha.
uint32_t Opaque(uint32_t pixel) { return pixel | 0xFF000000; }

TEST_F(RenderTest, EmptyEditShowsItsHintInTheHintColour) {
  const PixelBuffer frame = Render(
      L"size=\"200,30\"", L"<Font id=\"0\" name=\"Arial\" size=\"16\"/><Edit name=\"e\" font=\"0\" tipvalue=\"hint\" "
                          L"bkcolor=\"#FFFFFFFF\" bordersize=\"1\" bordercolor=\"#FF000000\"/>");
  // The hint's darkest pixel is the hint colour (anti-aliased pixels are lighter), not black.
  uint32_t darkest = kWhite;
  for (int y = 2; y < 28; ++y) {
    for (int x = 2; x < 198; ++x) {
      if ((frame.At(x, y) & 0xFF) < (darkest & 0xFF)) darkest = frame.At(x, y);
    }
  }
  EXPECT_NE(darkest, kWhite);
  EXPECT_GE(darkest & 0xFF, 0xBA);
  EXPECT_EQ(frame.At(0, 15), 0xFF000000u);  // the border

  window_->Find(L"e")->SetText(L"typed");
  const PixelBuffer typed = window_->Render();
  uint32_t typed_darkest = kWhite;
  for (int y = 2; y < 28; ++y) {
    for (int x = 2; x < 198; ++x) typed_darkest = std::min(typed_darkest, Opaque(typed.At(x, y)));
  }
  EXPECT_LT(typed_darkest & 0xFF, 0x60);
}

}  // namespace
}  // namespace SkinUI
