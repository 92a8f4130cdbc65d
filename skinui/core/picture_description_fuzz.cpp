// Any UTF-8 text as a picture attribute, read at every display scale the toolkit uses.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "common/testing/fuzz_check.h"
#include "common/text_convert.h"
#include "skinui/core/picture_description.h"

namespace {

using SkinUI::UiRect;

int32_t Scaled(int32_t value, int32_t scale) {
  const int64_t product = static_cast<int64_t>(value) * scale / 100;
  if (product > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (product < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(product);
}

bool IsScaled(const UiRect& rect, const UiRect& plain, int32_t scale) {
  return rect == UiRect{Scaled(plain.left, scale), Scaled(plain.top, scale), Scaled(plain.right, scale),
                        Scaled(plain.bottom, scale)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const String16 converted = Utf8ToString16(bytes.c_str());
  const WString text(converted.CStr(), converted.Length());

  const SkinUI::PictureDescription plain = SkinUI::ParsePictureDescription(text, 100);
  FuzzCheck(SkinUI::ScaledPictureName(plain.file, 100) == plain.file, "at 100 percent a picture is its own variant");
  for (int32_t scale : {200, 300, 400}) {
    const SkinUI::PictureDescription scaled = SkinUI::ParsePictureDescription(text, scale);
    FuzzCheck(scaled.file == plain.file && scaled.fade == plain.fade, "the scale changes only the rectangles");
    FuzzCheck(IsScaled(scaled.source, plain.source, scale) && IsScaled(scaled.dest, plain.dest, scale) &&
                  IsScaled(scaled.corner, plain.corner, scale),
              "the rectangles are multiplied by the scale");

    // A variant is the name with "@<factor>x" put before every dot, and nothing else changed.
    const std::string mark = "@" + std::to_string(scale / 100) + "x";
    WString expected;
    for (const Utf16Char unit : plain.file) {
      if (unit == '.') expected.append(mark.begin(), mark.end());
      expected.push_back(unit);
    }
    FuzzCheck(SkinUI::ScaledPictureName(plain.file, scale) == expected,
              "a variant name marks every dot with the scale's factor");
  }
  return 0;
}
