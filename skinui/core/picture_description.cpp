#include "skinui/core/picture_description.h"

#include <algorithm>
#include <limits>
#include <string>

#include "skinui/core/attribute_values.h"

namespace SkinUI {

namespace {

// value * scale / 100, rounded half away from zero as the platform's MulDiv does.
int32_t ScaleLength(int32_t value, int32_t scale_percent) {
  const int64_t product = static_cast<int64_t>(value) * scale_percent;
  const int64_t scaled = (product + (product < 0 ? -50 : 50)) / 100;
  return static_cast<int32_t>(std::clamp<int64_t>(scaled, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

UiRect ParseScaledRect(WStringView text, int32_t scale_percent) {
  const UiRect rect = ParseRect(text);
  return UiRect{ScaleLength(rect.left, scale_percent), ScaleLength(rect.top, scale_percent),
                ScaleLength(rect.right, scale_percent), ScaleLength(rect.bottom, scale_percent)};
}

}  // namespace

PictureDescription ParsePictureDescription(WStringView text, int32_t scale_percent) {
  PictureDescription description;
  const std::vector<MarkupAttribute> pairs = ParseQuotedPairs(text, '\'');
  if (pairs.empty()) {
    description.file = WString(text);
    return description;
  }
  for (const MarkupAttribute& pair : pairs) {
    if (pair.value.empty()) continue;
    if (NameEquals(pair.name, U16("file"))) {
      description.file = pair.value;
    } else if (NameEquals(pair.name, U16("source"))) {
      description.source = ParseScaledRect(pair.value, scale_percent);
    } else if (NameEquals(pair.name, U16("dest"))) {
      description.dest = ParseScaledRect(pair.value, scale_percent);
    } else if (NameEquals(pair.name, U16("corner"))) {
      description.corner = ParseScaledRect(pair.value, scale_percent);
    } else if (NameEquals(pair.name, U16("fade"))) {
      description.fade = static_cast<uint8_t>(std::clamp<int32_t>(ParseInteger(pair.value), 0, 255));
    }
  }
  return description;
}

WString ScaledPictureName(WStringView file, int32_t scale_percent) {
  const int32_t factor = scale_percent / 100;
  if (scale_percent == 100 || factor < 1) return WString(file);
  const std::string mark = "@" + std::to_string(factor) + "x.";
  WString scaled;
  for (const Utf16Char unit : file) {
    if (unit == '.') {
      scaled.append(mark.begin(), mark.end());
    } else {
      scaled.push_back(unit);
    }
  }
  return scaled;
}

}  // namespace SkinUI
