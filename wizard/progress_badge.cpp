#include "wizard/progress_badge.h"

SkinUI::UiRect ProgressBadgeRect(const SkinUI::UiRect& slider, int32_t value, const SkinUI::DpiScale& scale) {
  // Formed in double precision and truncated toward zero, as the window always placed it.
  const auto filled = static_cast<int64_t>(static_cast<double>(slider.Width()) * value / 1000.0);
  const int64_t left = slider.left + filled - scale.Scale(25);
  const int64_t top = int64_t{slider.top} - scale.Scale(25);
  return {SkinUI::SaturateToInt32(left), SkinUI::SaturateToInt32(top),
          SkinUI::SaturateToInt32(left + scale.Scale(50)), SkinUI::SaturateToInt32(top + scale.Scale(23))};
}

WString ProgressPercentText(int32_t value) {
  const std::string digits = std::to_string(value / 10);
  WString text(digits.begin(), digits.end());
  text.push_back(U16('%'));
  return text;
}
