#pragma once
// Where the installing page's percent badge stands for a progress value: centred over the end
// of the filled part of the bar, its bottom two units above the bar.
#include <cstdint>
#include <string>

#include "common/utf16.h"
#include "skinui/core/dpi_scale.h"
#include "skinui/core/geometry.h"

// The badge's rectangle for `value` (0 to 1000) over the slider at `slider`, lengths scaled by
// `scale`: left = slider left + trunc(slider width x value / 1000) - 25, 50 wide, 23 high, its top
// 25 above the slider's top.
SkinUI::UiRect ProgressBadgeRect(const SkinUI::UiRect& slider, int32_t value, const SkinUI::DpiScale& scale);

// "0%" to "100%": the value in tenths of a percent, rounded down.
WString ProgressPercentText(int32_t value);
