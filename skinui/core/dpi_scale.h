#pragma once
// The display-scale rules of the toolkit's CDPI, free of the platform: which scale a monitor's
// DPI gets, and how a length written for 100 percent becomes pixels. The window layer asks the
// system for the DPI, the screen height and the process's awareness and keeps one DpiScale
// per window manager.
#include <cstdint>

#include "skinui/core/geometry.h"

namespace SkinUI {

// The process's DPI awareness, in the order of the platform's PROCESS_DPI_AWARENESS values.
enum class DpiAwareness { kUnaware, kSystemAware, kPerMonitorAware };

// The scale in percent for a monitor of `dpi` dots per inch, chosen by steps rather than in
// proportion, because the skin has pictures for whole factors only: below 144 DPI 100; from 144
// to 239 DPI 200 when the primary screen is more than 1080 pixels high (a 1080-pixel screen
// would not hold the doubled window) and 100 otherwise; from 240 to 335 DPI 300; from 336 DPI on
// 400.
int32_t ScalePercentForDpi(int32_t dpi, int32_t primary_screen_height);

class DpiScale {
 public:
  // 100 percent in a per-monitor aware process, which is how every window starts.
  DpiScale() = default;
  // A percent below 1 is taken as 1, so that no length scales to nothing or flips its sign.
  explicit DpiScale(int32_t percent, DpiAwareness awareness = DpiAwareness::kPerMonitorAware);

  int32_t Percent() const { return percent_; }
  DpiAwareness Awareness() const { return awareness_; }

  // value x percent / 100, rounded half away from zero as the platform's MulDiv rounds. With
  // `whole_factor` the percent is first rounded down to a whole multiple of 100 (never below
  // 100), so that 150 percent scales by 1 and 250 by 2. In an unaware process the system
  // stretches the window itself and the value stays as it is.
  // Where MulDiv gives -1 for a result beyond 32 bits, this saturates at the nearest 32-bit
  // value: -1 would be taken for a real length, and a saturated one stays on the right side.
  int32_t Scale(int32_t value, bool whole_factor = false) const;

  // Scales the left and top edges and the width and height, and puts the right and bottom edges
  // at the scaled left and top plus the scaled width and height, so that a rectangle keeps its
  // scaled size wherever its corner lands after rounding. Each edge saturates as above.
  UiRect Scale(const UiRect& rect, bool whole_factor = false) const;

 private:
  int32_t EffectivePercent(bool whole_factor) const;

  int32_t percent_ = 100;
  DpiAwareness awareness_ = DpiAwareness::kPerMonitorAware;
};

}  // namespace SkinUI
