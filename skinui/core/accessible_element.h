#pragma once
// What a screen reader is told about a control: its role, name, states, value and default
// action, made from the control's facts; and the spacing of the value-change events of a
// progress bar, which may change a hundred times a second.
#include <cstdint>

#include "common/utf16.h"

namespace SkinUI {

// The kinds of control that a screen reader meets; containers and plain controls are none.
enum class AccessibleKind { kNone, kButton, kEdit, kProgress, kLabel };

// What the window's accessible object says a control is. kNone: the control is not listed.
enum class AccessibleRole { kNone, kPushButton, kText, kProgressBar, kStaticText, kGraphic };

struct AccessibleControlFacts {
  AccessibleKind kind = AccessibleKind::kNone;
  WString text;
  WString tooltip;
  WString accname;  // the skin's name for a control whose text and tooltip say nothing
  bool has_picture = false;
  bool shown = true;  // the control and every control above it are visible
  bool enabled = true;
  bool focused = false;
  int32_t value = 0;
  int32_t min = 0;
  int32_t max = 0;
};

struct AccessibleElement {
  AccessibleRole role = AccessibleRole::kNone;
  WString name;
  WString value;           // empty: the element has none
  WString default_action;  // empty: the element has none
  bool focusable = false;
  bool focused = false;
  bool unavailable = false;
  bool invisible = false;
};

// The element of a control. A label is static text when it has text, a graphic when it has only
// a picture, and not listed when it has neither. The name is the text, else the tooltip, else
// the accname; an edit's text is its value, not its name.
AccessibleElement DescribeAccessible(const AccessibleControlFacts& facts);

// The whole percentage that `value` has reached between `min` and `max`, rounded down, with
// `max` taken as `min` + 1 when it is not above `min` and `value` clamped into the range, as
// the bar is painted.
int32_t ProgressPercent(int32_t value, int32_t min, int32_t max);

// Spaces the value-change events of one control: at most one per interval, and the last value
// is always told, at once when it is the final one, otherwise once the interval is over.
class ValueChangeThrottle {
 public:
  static constexpr uint32_t kIntervalMs = 250;

  struct Decision {
    bool report_now;
    uint32_t wait_ms;  // when not now: tell the pending value (TakePending) after this wait
  };

  // A change at `now_ms` (a millisecond tick that may wrap).
  Decision Changed(uint32_t now_ms, bool final_value);
  // The wait is over: true when a change is still untold, which is then told.
  bool TakePending(uint32_t now_ms);

 private:
  bool reported_ = false;
  bool pending_ = false;
  uint32_t last_report_ms_ = 0;
};

}  // namespace SkinUI
