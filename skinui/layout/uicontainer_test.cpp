// The layouts as the skin meets them: built from markup into a real window and laid out by its
// manager, so that attribute order, scaling and the containers' feeding of the layout
// arithmetic are covered along with the arithmetic.
#include "skinui/layout/uicontainer.h"

#include <gtest/gtest.h>

#include "skinui/control/uilabel.h"
#include "skinui/core/testing/print_geometry.h"
#include "skinui/core/rect_convert.h"
#include "skinui/testing/skin_test_window.h"

namespace SkinUI {
namespace {

UiRect PosOf(TestSkinWindow& window, const wchar_t* name) {
  CControlUI* control = window.Find(name);
  EXPECT_NE(control, nullptr) << "no control named " << std::string(name, name + wcslen(name));
  return control != nullptr ? ToUiRect(control->GetPos()) : UiRect{};
}

class LayoutInWindowTest : public testing::Test {
 protected:
  TestSkinWindow& Build(const wchar_t* body, const wchar_t* size = L"800,550") {
    window_ = std::make_unique<TestSkinWindow>(std::wstring(L"<Window size=\"") + size + L"\">" + body +
                                                L"</Window>");
    EXPECT_TRUE(window_->CreateHidden());
    window_->Render();
    return *window_;
  }

  std::unique_ptr<TestSkinWindow> window_;
};

TEST_F(LayoutInWindowTest, FloatTakesItsPosAfterEarlierSizes) {
  TestSkinWindow& window = Build(
      L"<VerticalLayout><HorizontalLayout name=\"badge\" height=\"23\" width=\"50\" float=\"true\" "
      L"pos=\"15,50,65,74\"/><HorizontalLayout name=\"bar\" height=\"25\" float=\"true\" pos=\"0,20,800,0\"/>"
      L"</VerticalLayout>");
  // pos after height sets the height again (74 - 50); a negative height from pos is ignored.
  EXPECT_EQ(PosOf(window, L"badge"), (UiRect{15, 50, 65, 74}));
  EXPECT_EQ(PosOf(window, L"bar"), (UiRect{0, 20, 800, 45}));
}

TEST_F(LayoutInWindowTest, LastStretchChildTakesTheRemainder) {
  TestSkinWindow& window = Build(
      L"<HorizontalLayout><Control name=\"left\"/><Control name=\"middle\" width=\"219\"/>"
      L"<Control name=\"right\"/></HorizontalLayout>");
  EXPECT_EQ(PosOf(window, L"left"), (UiRect{0, 0, 290, 550}));
  EXPECT_EQ(PosOf(window, L"middle"), (UiRect{290, 0, 509, 550}));
  EXPECT_EQ(PosOf(window, L"right"), (UiRect{509, 0, 800, 550}));
}

TEST_F(LayoutInWindowTest, LabelWithoutHeightIsItsFontHeightPlusEight) {
  TestSkinWindow& window = Build(
      L"<Font id=\"3\" name=\"Arial\" size=\"16\"/><VerticalLayout><Label name=\"line\" font=\"3\" text=\"x\"/>"
      L"<Control name=\"rest\"/></VerticalLayout>");
  const LONG font_height = window.GetManager().Fonts().Get(3).metrics.tmHeight;
  ASSERT_GT(font_height, 0);
  EXPECT_EQ(PosOf(window, L"line"), (UiRect{0, 0, 800, font_height + 8}));
  EXPECT_EQ(PosOf(window, L"rest"), (UiRect{0, font_height + 8, 800, 550}));
}

TEST_F(LayoutInWindowTest, NegativePaddingPullsAPanelOverItsPredecessor) {
  TestSkinWindow& window = Build(
      L"<VerticalLayout><HorizontalLayout name=\"pictures\" height=\"550\" width=\"4000\"/>"
      L"<VerticalLayout name=\"panel\" padding=\"0,-120,0,0\" width=\"800\"/></VerticalLayout>");
  // The strip keeps its fixed width beyond the window; the panel covers its lowest 120 pixels.
  EXPECT_EQ(PosOf(window, L"pictures"), (UiRect{0, 0, 800, 550}));
  EXPECT_EQ(PosOf(window, L"panel"), (UiRect{0, 430, 800, 550}));
}

TEST_F(LayoutInWindowTest, TabLayoutShowsItsFirstPageOnly) {
  TestSkinWindow& window = Build(
      L"<TabLayout name=\"tab\"><Control name=\"p0\"/><Control name=\"p1\"/><Control name=\"p2\"/>"
      L"<Control name=\"p3\"/></TabLayout>");
  auto* tab = static_cast<CTabLayoutUI*>(window.Find(L"tab"));
  EXPECT_EQ(tab->GetCurSel(), 0);
  const wchar_t* pages[] = {L"p0", L"p1", L"p2", L"p3"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(window.Find(pages[i])->IsVisible(), i == 0) << i;
  EXPECT_EQ(PosOf(window, L"p0"), (UiRect{0, 0, 800, 550}));

  ASSERT_TRUE(tab->SelectItem(2));
  window.Render();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(window.Find(pages[i])->IsVisible(), i == 2) << i;
  EXPECT_EQ(PosOf(window, L"p2"), (UiRect{0, 0, 800, 550}));
  EXPECT_EQ(window.notifications.back(), L"tabselect:tab");
  // The page shown already, or one that is not there, changes nothing and says nothing.
  const size_t heard = window.notifications.size();
  EXPECT_FALSE(tab->SelectItem(2));
  EXPECT_FALSE(tab->SelectItem(4));
  EXPECT_FALSE(tab->SelectItem(-1));
  EXPECT_EQ(window.notifications.size(), heard);
}

TEST_F(LayoutInWindowTest, ChangedVisibilityLaysTheParentOutAgain) {
  TestSkinWindow& window = Build(
      L"<HorizontalLayout><Control name=\"a\" width=\"100\"/><Control name=\"b\"/></HorizontalLayout>");
  EXPECT_EQ(PosOf(window, L"b"), (UiRect{100, 0, 800, 550}));
  window.Find(L"a")->SetVisible(false);
  window.Render();
  EXPECT_EQ(PosOf(window, L"b"), (UiRect{0, 0, 800, 550}));
}

TEST_F(LayoutInWindowTest, ScaleMultipliesDeclaredLengths) {
  TestSkinWindow& window = Build(
      L"<HorizontalLayout><Control name=\"a\" width=\"100\" padding=\"10,5,0,0\"/><Control name=\"b\"/>"
      L"</HorizontalLayout>",
      L"400,300");
  window.GetManager().SetScale(200);
  window.Render();
  EXPECT_EQ(PosOf(window, L"a"), (UiRect{20, 10, 220, 600}));
  EXPECT_EQ(PosOf(window, L"b"), (UiRect{220, 0, 800, 600}));
}

}  // namespace
}  // namespace SkinUI
