#include "wizard/progress_badge.h"

#include <string>

#include "common/progress_scale.h"
#include "skinui/core/attribute_values.h"
#include "wizard/skin_elements.h"

namespace {

// Skin units between the badge's bottom and the bar's top edge.
constexpr int32_t kBadgeGapAboveBar = 2;

}  // namespace

std::optional<SkinUI::UiSize> DeclaredBadgeSize(const SkinUI::MarkupNode& page_root) {
  const SkinUI::MarkupNode* box = FindNamedElement(page_root, kBadgeBoxName);
  if (box == nullptr) return std::nullopt;
  const WString* width = box->FindAttribute(U16("width"));
  const WString* height = box->FindAttribute(U16("height"));
  if (width == nullptr || height == nullptr) return std::nullopt;
  return SkinUI::UiSize{SkinUI::ParseInteger(*width), SkinUI::ParseInteger(*height)};
}

SkinUI::UiRect ProgressBadgeRect(const SkinUI::UiRect& slider, int32_t value, SkinUI::UiSize badge,
                                 const SkinUI::DpiScale& scale) {
  // Formed in double precision and truncated toward zero, as the window always placed it.
  const auto filled = static_cast<int64_t>(static_cast<double>(slider.Width()) * value / kProgressScale);
  const int64_t left = slider.left + filled - scale.Scale(badge.cx / 2);
  // Height and gap are scaled as one length: scaled apart, their rounding at a scale such as
  // 125 % would lift the badge a pixel higher than it has always stood.
  const int32_t lift = SkinUI::SaturateToInt32(int64_t{badge.cy} + kBadgeGapAboveBar);
  const int64_t top = int64_t{slider.top} - scale.Scale(lift);
  return {SkinUI::SaturateToInt32(left), SkinUI::SaturateToInt32(top),
          SkinUI::SaturateToInt32(left + scale.Scale(badge.cx)), SkinUI::SaturateToInt32(top + scale.Scale(badge.cy))};
}

WString ProgressPercentText(int32_t value) {
  const std::string digits = std::to_string(value / kProgressPerPercent);
  WString text(digits.begin(), digits.end());
  text.push_back(U16('%'));
  return text;
}
