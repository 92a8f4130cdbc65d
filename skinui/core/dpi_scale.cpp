#include "skinui/core/dpi_scale.h"

#include <algorithm>

namespace SkinUI {

namespace {

constexpr int32_t kWholePercent = 100;

// value x percent / 100 rounded half away from zero. `value` is at most a 32-bit difference
// (below 2^32 in size) and `percent` below 2^31, so the product stays below 2^63.
int64_t ScaleWide(int64_t value, int32_t percent) {
  const int64_t product = value * percent;
  const int64_t half = kWholePercent / 2;
  return (product >= 0 ? product + half : product - half) / kWholePercent;
}

}  // namespace

int32_t ScalePercentForDpi(int32_t dpi, int32_t primary_screen_height) {
  if (dpi >= 336) {
    return 400;
  }
  if (dpi >= 240) {
    return 300;
  }
  if (dpi >= 144 && primary_screen_height > 1080) {
    return 200;
  }
  return 100;
}

DpiScale::DpiScale(int32_t percent, DpiAwareness awareness)
    : percent_(std::max(percent, 1)), awareness_(awareness) {}

int32_t DpiScale::EffectivePercent(bool whole_factor) const {
  if (!whole_factor) {
    return percent_;
  }
  return std::max(kWholePercent, percent_ - percent_ % kWholePercent);
}

int32_t DpiScale::Scale(int32_t value, bool whole_factor) const {
  if (awareness_ == DpiAwareness::kUnaware) {
    return value;
  }
  return SaturateToInt32(ScaleWide(value, EffectivePercent(whole_factor)));
}

UiRect DpiScale::Scale(const UiRect& rect, bool whole_factor) const {
  if (awareness_ == DpiAwareness::kUnaware) {
    return rect;
  }
  const int32_t percent = EffectivePercent(whole_factor);
  UiRect scaled;
  scaled.left = SaturateToInt32(ScaleWide(rect.left, percent));
  scaled.top = SaturateToInt32(ScaleWide(rect.top, percent));
  scaled.right = SaturateToInt32(scaled.left + ScaleWide(int64_t{rect.right} - rect.left, percent));
  scaled.bottom = SaturateToInt32(scaled.top + ScaleWide(int64_t{rect.bottom} - rect.top, percent));
  return scaled;
}

}  // namespace SkinUI
