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

// The focus mark: a 1-pixel frame 2 pixels inside the button, in its text colour or in its
// focusbordercolor, drawn only once the keyboard moved the focus there.
TEST_F(RenderTest, KeyboardFocusDrawsAFrameInsideTheButton) {
  struct Case {
    const char* what;
    const wchar_t* extra_attributes;
    uint32_t mark;
  };
  const Case cases[] = {
      {"in the text colour", L"", kWhite},
      {"in the focus border colour", L" focusbordercolor=\"#FF00FF00\"", kGreen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::wstring button =
        std::wstring(L"<Button name=\"b\" bkcolor=\"#FF0000FF\" textcolor=\"#FFFFFFFF\"") + c.extra_attributes + L"/>";
    PixelBuffer frame = Render(L"size=\"40,20\"", button);
    EXPECT_EQ(frame.At(2, 10), kBlue) << "no mark before the focus comes";

    PressTab(*window_);
    ASSERT_TRUE(window_->Find(L"b")->IsFocused());
    frame = window_->Render();
    for (const auto& on : {std::pair{2, 10}, std::pair{37, 10}, std::pair{20, 2}, std::pair{20, 17}, std::pair{2, 2},
                           std::pair{37, 17}}) {
      EXPECT_EQ(frame.At(on.first, on.second), c.mark) << on.first << "," << on.second;
    }
    for (const auto& off : {std::pair{1, 10}, std::pair{3, 10}, std::pair{36, 10}, std::pair{38, 10}, std::pair{20, 1},
                            std::pair{20, 3}, std::pair{20, 16}, std::pair{20, 18}, std::pair{20, 10}}) {
      EXPECT_EQ(frame.At(off.first, off.second), kBlue) << off.first << "," << off.second;
    }

    // A click keeps the focus on the button but takes the mark away, as on Windows.
    window_->HandleMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(20, 10));
    window_->HandleMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    ASSERT_TRUE(window_->Find(L"b")->IsFocused());
    frame = window_->Render();
    EXPECT_EQ(frame.At(2, 10), kBlue);
    EXPECT_EQ(frame.At(20, 2), kBlue);
  }
}

TEST_F(WindowTest, TabThenEnterOrSpaceClicksTheButtonTabbedTo) {
  for (const WPARAM key : {VK_RETURN, VK_SPACE}) {
    window_.GetManager().SetFocus(nullptr);
    window_.notifications.clear();
    PressTab(window_);  // the close button in the caption comes first
    PressTab(window_);
    window_.HandleMessage(WM_KEYDOWN, key, 0);
    EXPECT_EQ(window_.notifications,
              (std::vector<std::wstring>{L"setfocus:close", L"killfocus:close", L"setfocus:ok", L"click:ok"}))
        << key;
  }
}

}  // namespace
}  // namespace SkinUI
