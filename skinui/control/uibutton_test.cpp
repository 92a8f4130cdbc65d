// Buttons as a user meets them: clicks by mouse and keyboard, and the pictures of their states.
#include "skinui/control/uibutton.h"

#include <gtest/gtest.h>

#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

const testing::Environment* const kArchive = testing::AddGlobalTestEnvironment(new TestArchiveEnvironment({
    {"red.png", SolidPng(10, 6, kRed)},
    {"green.png", SolidPng(4, 4, kGreen)},
}));

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

TEST_F(RenderTest, HotPictureIsDrawnOverTheBackgroundWhileHovered) {
  const std::wstring button =
      L"<Button name=\"b\" bkimage=\"file='red.png'\" hotimage=\"file='green.png' dest='0,0,10,10'\"/>";
  PixelBuffer frame = Render(L"size=\"40,20\"", button);
  EXPECT_EQ(frame.At(5, 5), kRed);

  window_->HandleMessage(WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
  frame = window_->Render();
  EXPECT_EQ(frame.At(5, 5), kGreen);
  EXPECT_EQ(frame.At(30, 15), kRed);

  // Pressed, with neither a normal nor a pressed picture, only the background shows.
  window_->HandleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(20, 10));
  frame = window_->Render();
  EXPECT_EQ(frame.At(5, 5), kRed);
  window_->HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
}

}  // namespace
}  // namespace SkinUI
