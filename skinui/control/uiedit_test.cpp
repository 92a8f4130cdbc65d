// Typing into a skin edit: the native edit that opens over it, where it goes, what it keeps,
// and the pop-up form it takes in a layered window.
#include "skinui/control/uiedit.h"

#include <gtest/gtest.h>

#include "skinui/core/rect_convert.h"
#include "skinui/testing/skin_test_window.h"

namespace SkinUI {
namespace {

std::wstring EditSkin(const wchar_t* window_attributes) {
  return std::wstring(L"<Window size=\"300,100\" ") + window_attributes +
         L"><Font id=\"5\" name=\"Arial\" size=\"14\"/><VerticalLayout><HorizontalLayout height=\"40\">"
         L"<Edit name=\"path\" font=\"5\" maxchar=\"8\" text=\"C:\\a\" textpadding=\"5,0,85,0\" width=\"200\"/>"
         L"<Button name=\"other\"/></HorizontalLayout><Control/></VerticalLayout></Window>";
}

POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

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

}  // namespace
}  // namespace SkinUI
