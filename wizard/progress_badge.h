#pragma once
// Where the installing page's percent badge stands for a progress value: centred over the end
// of the filled part of the bar, its bottom two units above the bar. Its size is the one that
// the page's skin declares for it.
#include <cstdint>
#include <optional>

#include "common/utf16.h"
#include "skinui/core/dpi_scale.h"
#include "skinui/core/geometry.h"
#include "skinui/core/skin_markup.h"

// The box that holds the percent label, the control that the window moves.
constexpr const Utf16Char* kBadgeBoxName = U16("hor_Pos");

// The badge box's "width" and "height" in the installing page's markup, in skin units; nothing
// when the page lacks the box or either length. The box's "pos" is one unit higher than its
// "height" and does not count: the badge has always been as high as "height" says.
std::optional<SkinUI::UiSize> DeclaredBadgeSize(const SkinUI::MarkupNode& page_root);

// The rectangle of a badge of `badge` skin units for `value` (0 to kProgressScale) over the
// slider at `slider`, lengths scaled by `scale`: left = slider left + trunc(slider width x value
// / kProgressScale) - half the badge's width, its top the badge's height and the gap above the
// slider's top.
SkinUI::UiRect ProgressBadgeRect(const SkinUI::UiRect& slider, int32_t value, SkinUI::UiSize badge,
                                 const SkinUI::DpiScale& scale);

// "0%" to "100%": the whole percentage of the value, rounded down.
WString ProgressPercentText(int32_t value);
