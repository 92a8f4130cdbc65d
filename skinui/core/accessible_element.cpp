#include "skinui/core/accessible_element.h"

#include <algorithm>
#include <string>

namespace SkinUI {

namespace {

const WString& FirstNonEmpty(const WString& first, const WString& second, const WString& third) {
  if (!first.empty()) return first;
  return !second.empty() ? second : third;
}

AccessibleRole RoleOf(const AccessibleControlFacts& facts) {
  switch (facts.kind) {
    case AccessibleKind::kButton:
      // One that shows and says nothing only holds a place in the layout.
      if (facts.text.empty() && facts.tooltip.empty() && facts.accname.empty() && !facts.has_picture) {
        return AccessibleRole::kNone;
      }
      return AccessibleRole::kPushButton;
    case AccessibleKind::kEdit:
      return AccessibleRole::kText;
    case AccessibleKind::kProgress:
      return AccessibleRole::kProgressBar;
    case AccessibleKind::kLabel:
      if (!facts.text.empty()) return AccessibleRole::kStaticText;
      return facts.has_picture ? AccessibleRole::kGraphic : AccessibleRole::kNone;
    case AccessibleKind::kNone:
      break;
  }
  return AccessibleRole::kNone;
}

WString PercentText(int32_t percent) {
  const std::string digits = std::to_string(percent);
  WString text(digits.begin(), digits.end());
  text.push_back(U16('%'));
  return text;
}

}  // namespace

AccessibleElement DescribeAccessible(const AccessibleControlFacts& facts) {
  AccessibleElement element;
  element.role = RoleOf(facts);
  if (element.role == AccessibleRole::kNone) return element;
  const bool is_edit = facts.kind == AccessibleKind::kEdit;
  // An edit's text is what was typed into it; a reader says it as the value.
  element.name = FirstNonEmpty(is_edit ? WString() : facts.text, facts.tooltip, facts.accname);
  if (is_edit) element.value = facts.text;
  if (facts.kind == AccessibleKind::kProgress) element.value = PercentText(ProgressPercent(facts.value, facts.min, facts.max));
  element.focusable = facts.kind == AccessibleKind::kButton || is_edit;
  if (facts.kind == AccessibleKind::kButton) element.default_action = U16("按下");
  element.focused = facts.focused;
  element.unavailable = !facts.enabled;
  element.invisible = !facts.shown;
  return element;
}

int32_t ProgressPercent(int32_t value, int32_t min, int32_t max) {
  const int64_t low = min;
  const int64_t high = max > min ? int64_t{max} : low + 1;
  const int64_t clamped = std::clamp<int64_t>(value, low, high);
  return static_cast<int32_t>((clamped - low) * 100 / (high - low));
}

ValueChangeThrottle::Decision ValueChangeThrottle::Changed(uint32_t now_ms, bool final_value) {
  const uint32_t since = now_ms - last_report_ms_;
  if (final_value || !reported_ || since >= kIntervalMs) {
    reported_ = true;
    pending_ = false;
    last_report_ms_ = now_ms;
    return {true, 0};
  }
  pending_ = true;
  return {false, kIntervalMs - since};
}

bool ValueChangeThrottle::TakePending(uint32_t now_ms) {
  if (!pending_) return false;
  pending_ = false;
  last_report_ms_ = now_ms;
  return true;
}

}  // namespace SkinUI
