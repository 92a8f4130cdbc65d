#pragma once
// Fixtures that the toolkit's window tests share: a window of buttons under the mouse, skins drawn
// into memory, and the skin archive a test program attaches.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "skinui/testing/skin_test_window.h"

namespace SkinUI {

inline LPARAM ClientPoint(int x, int y) { return MAKELPARAM(x, y); }

inline POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// A caption 40 pixels high holding a title and a close button, a size box, and an "ok" button.
inline constexpr wchar_t kButtonsSkin[] =
    L"<Window size=\"300,200\" caption=\"0,0,0,40\" sizebox=\"4,4,4,4\">"
    L"<VerticalLayout><HorizontalLayout height=\"40\"><Label name=\"title\" text=\"t\"/>"
    L"<Button name=\"close\" width=\"20\"/></HorizontalLayout>"
    L"<HorizontalLayout><Button name=\"ok\" width=\"100\" height=\"30\"/><Control/></HorizontalLayout>"
    L"</VerticalLayout></Window>";

// Tab as the keyboard gives it to `window`, with Shift held (Shift+Tab) or not.
inline void PressTab(SkinWindowBase& window, bool shift = false) {
  BYTE keys[256]{};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  window.SendMessageW(WM_KEYDOWN, VK_TAB, 0);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// The buttons' window, laid out, with nothing heard yet.
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

// Opaque colours, as the pixels of pictures and of the rendered frames carry them.
inline constexpr uint32_t kRed = 0xFFFF0000;
inline constexpr uint32_t kGreen = 0xFF00FF00;
inline constexpr uint32_t kBlue = 0xFF0000FF;
inline constexpr uint32_t kWhite = 0xFFFFFFFF;
inline constexpr uint32_t kGrey = 0xFFD8D8D8;

// Windows made from a skin body and drawn into memory; the last one stays for the test to use.
class RenderTest : public testing::Test {
 protected:
  PixelBuffer Render(const std::wstring& window_attributes, const std::wstring& body, int scale = 100) {
    window_ = std::make_unique<TestSkinWindow>(L"<Window " + window_attributes + L">" + body + L"</Window>");
    EXPECT_TRUE(window_->CreateHidden());
    if (scale != 100) {
      window_->GetManager().SetScale(scale);
    }
    return window_->Render();
  }

  std::unique_ptr<TestSkinWindow> window_;
};

// Attaches an archive of these entries before the first test of the program runs:
// testing::AddGlobalTestEnvironment(new TestArchiveEnvironment({...})).
class TestArchiveEnvironment : public testing::Environment {
 public:
  explicit TestArchiveEnvironment(std::vector<ZipEntrySpec> entries) : m_entries(std::move(entries)) {}
  void SetUp() override { AttachTestArchive(m_entries); }

 private:
  std::vector<ZipEntrySpec> m_entries;
};

}  // namespace SkinUI
