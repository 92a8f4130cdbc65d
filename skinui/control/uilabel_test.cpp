// Labels as they lay their text into the frame.
#include "skinui/control/uilabel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "skinui/testing/skin_test_fixtures.h"

namespace SkinUI {
namespace {

// The bounding box of pixels that differ from `background`.
RECT InkBounds(const PixelBuffer& frame, uint32_t background) {
  RECT ink{frame.Width(), frame.Height(), -1, -1};
  for (int y = 0; y < frame.Height(); ++y) {
    for (int x = 0; x < frame.Width(); ++x) {
      if (frame.At(x, y) == background) continue;
      ink.left = std::min<LONG>(ink.left, x);
      ink.top = std::min<LONG>(ink.top, y);
      ink.right = std::max<LONG>(ink.right, x + 1);
      ink.bottom = std::max<LONG>(ink.bottom, y + 1);
    }
  }
  return ink;
}

TEST_F(RenderTest, LabelTextIsLeftAlignedAndCentredVerticallyUnlessAligned) {
  const std::wstring label = L"<Font id=\"0\" name=\"Arial\" size=\"14\"/>"
                             L"<Label font=\"0\" text=\"WWW\" bkcolor=\"#FFFFFFFF\" ";
  const PixelBuffer left = Render(L"size=\"200,40\"", label + L"/>");
  const RECT left_ink = InkBounds(left, kWhite);
  EXPECT_LT(left_ink.left, 10);
  EXPECT_NEAR((left_ink.top + left_ink.bottom) / 2, 20, 4);

  const PixelBuffer centred = Render(L"size=\"200,40\"", label + L"align=\"center\"/>");
  const RECT centred_ink = InkBounds(centred, kWhite);
  EXPECT_NEAR((centred_ink.left + centred_ink.right) / 2, 100, 3);
}

}  // namespace
}  // namespace SkinUI
