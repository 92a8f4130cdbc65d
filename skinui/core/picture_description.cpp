#include "skinui/core/picture_description.h"

#include <algorithm>
#include <string>

#include "skinui/core/attribute_values.h"
#include "skinui/core/dpi_scale.h"

namespace SkinUI {

namespace {

// Each of the four values is multiplied on its own: a corner is four margins, not a rectangle
// whose width should keep its proportion.
UiRect ParseScaledRect(WStringView text, const DpiScale& scale) {
  const UiRect rect = ParseRect(text);
  return UiRect{scale.Scale(rect.left), scale.Scale(rect.top), scale.Scale(rect.right), scale.Scale(rect.bottom)};
}

}  // namespace

PictureDescription ParsePictureDescription(WStringView text, int32_t scale_percent) {
  PictureDescription description;
  const DpiScale scale(scale_percent);
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
      description.source = ParseScaledRect(pair.value, scale);
    } else if (NameEquals(pair.name, U16("dest"))) {
      description.dest = ParseScaledRect(pair.value, scale);
    } else if (NameEquals(pair.name, U16("corner"))) {
      description.corner = ParseScaledRect(pair.value, scale);
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
