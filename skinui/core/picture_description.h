#pragma once
// Picture attributes: either a plain file name ("install_close.png") or key='value' pairs
// separated by blanks ("file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'").
#include <cstdint>

#include "common/utf16.h"
#include "skinui/core/geometry.h"
#include "skinui/core/skin_markup.h"

namespace SkinUI {

struct PictureDescription {
  WString file;
  UiRect source;  // in picture pixels; all zero: the whole picture
  UiRect dest;    // relative to the control; all zero: the control's whole rectangle
  UiRect corner;  // nine-grid margins; all zero: plain stretching
  uint8_t fade = 255;  // constant opacity, 255 opaque
};

// Reads a description for a window at `scale_percent` (100, 200, 300 or 400): `source`, `dest`
// and `corner` come out multiplied by the scale (rounded, clamped to 32 bits), since pictures
// are drawn in device pixels. Keys are `file`, `source`, `dest`, `corner` and `fade`, ignoring
// case; others are ignored, and so is a key whose value is empty. `fade` is clamped into
// 0..255. A text in which no key='value' pair can be read is a plain file name.
PictureDescription ParsePictureDescription(WStringView text, int32_t scale_percent);

// The name of the display-scale variant of a picture: away from 100 percent, every "." becomes
// "@<factor>." with the factor scale / 100, as in "btn-8-nor@2x.png" at 200 percent. The skin's
// pictures have one dot each; a name with more, or a factor that no variant carries, names a
// picture that is not there, and the caller then falls back to the name as written. At 100
// percent (or below) the name as written.
WString ScaledPictureName(WStringView file, int32_t scale_percent);

}  // namespace SkinUI
