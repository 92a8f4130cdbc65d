// Progress bars and sliders as they paint the share their value reached.
#include "skinui/control/uiprogress.h"

#include <gtest/gtest.h>

#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

const testing::Environment* const kArchive =
    testing::AddGlobalTestEnvironment(new TestArchiveEnvironment({{"red.png", SolidPng(10, 6, kRed)}}));

TEST_F(RenderTest, SliderFillsThePartItsValueReached) {
  const PixelBuffer frame = Render(L"size=\"201,12\"",
                                   L"<Slider name=\"s\" max=\"1000\" value=\"500\" bkcolor=\"#FFD8D8D8\" "
                                   L"foreimage=\"file='red.png'\"/>");
  // 500 of 1000 fills 100 of the 201 pixels (rounded down).
  EXPECT_EQ(frame.At(0, 6), kRed);
  EXPECT_EQ(frame.At(99, 6), kRed);
  EXPECT_EQ(frame.At(100, 6), kGrey);
  EXPECT_EQ(frame.At(200, 6), kGrey);

  static_cast<CSliderUI*>(window_->Find(L"s"))->SetValue(2000);
  const PixelBuffer full = window_->Render();
  EXPECT_EQ(full.At(200, 6), kRed);
}

}  // namespace
}  // namespace SkinUI
