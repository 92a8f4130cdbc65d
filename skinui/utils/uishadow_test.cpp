// The drop shadow: a click-through layered pop-up below its window, as large as the window plus
// the shadow size on each side, that follows the window and goes with it.
#include "skinui/utils/uishadow.h"

#include <gtest/gtest.h>

#include "skinui/testing/skin_test_window.h"

namespace SkinUI {
namespace {

class ShadowArchive : public testing::Environment {
 public:
  void SetUp() override { AttachTestArchive({{"shadow.png", SolidPng(60, 60, 0x80000000)}}); }
};
const testing::Environment* const kArchive = testing::AddGlobalTestEnvironment(new ShadowArchive);

constexpr wchar_t kShadowedSkin[] =
    L"<Window size=\"200,100\" showshadow=\"true\" shadowimage=\"shadow.png\" shadowsize=\"18\" "
    L"shadowcorner=\"18,19,20,20\"><Control bkcolor=\"#FFFFFFFF\"/></Window>";

TEST(ShadowTest, FollowsTheWindowBelowIt) {
  TestSkinWindow window(kShadowedSkin);
  ASSERT_TRUE(window.CreateHidden());
  HWND shadow = window.GetManager().GetShadow()->GetWindow();
  ASSERT_NE(shadow, nullptr);
  EXPECT_FALSE(IsWindowVisible(shadow));
  const LONG extended = GetWindowLongW(shadow, GWL_EXSTYLE);
  EXPECT_NE(extended & WS_EX_LAYERED, 0);
  EXPECT_NE(extended & WS_EX_TRANSPARENT, 0);
  EXPECT_EQ(GetWindow(shadow, GW_OWNER), window.GetHWND());

  SetWindowPos(window.GetHWND(), nullptr, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window.GetHWND(), SW_SHOWNOACTIVATE);
  // The window's first frame comes first; the shadow follows it.
  EXPECT_FALSE(IsWindowVisible(shadow));
  UpdateWindow(window.GetHWND());
  EXPECT_TRUE(IsWindowVisible(shadow));
  RECT place{};
  GetWindowRect(shadow, &place);
  EXPECT_EQ(place.left, 100 - 18);
  EXPECT_EQ(place.top, 80 - 18);
  EXPECT_EQ(place.right - place.left, 200 + 36);
  EXPECT_EQ(place.bottom - place.top, 100 + 36);

  SetWindowPos(window.GetHWND(), nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(shadow, &place);
  EXPECT_EQ(place.left, 300 - 18);
  EXPECT_EQ(place.top, 200 - 18);

  ShowWindow(window.GetHWND(), SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(shadow));
  DestroyWindow(window.GetHWND());
  EXPECT_FALSE(IsWindow(shadow));
}

TEST(ShadowTest, OutOfRangeValuesLeaveTheEarlierOnes) {
  CShadowUI shadow;
  EXPECT_TRUE(shadow.SetSize(18));
  EXPECT_FALSE(shadow.SetSize(36));
  EXPECT_FALSE(shadow.SetSize(-36));
  EXPECT_TRUE(shadow.SetSize(-35));
  EXPECT_FALSE(shadow.SetCorner(RECT{1, -1, 1, 1}));
  EXPECT_TRUE(shadow.SetCorner(RECT{18, 19, 20, 20}));
}

TEST(ShadowTest, NoShadowWithoutShowShadow) {
  TestSkinWindow window(L"<Window size=\"200,100\" shadowimage=\"shadow.png\" shadowsize=\"18\"><Control/></Window>");
  ASSERT_TRUE(window.CreateHidden());
  EXPECT_EQ(window.GetManager().GetShadow()->GetWindow(), nullptr);
}

}  // namespace
}  // namespace SkinUI
