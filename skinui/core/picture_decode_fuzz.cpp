// Any bytes as a skin picture. A decoded one is within the limits and its pixels are
// premultiplied: no colour is above its pixel's alpha.
#include <cstddef>
#include <cstdint>

#include "common/testing/fuzz_check.h"
#include "skinui/core/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SkinUI::DecodedPicture picture;
  if (!SkinUI::DecodePicture(data, size, &picture)) {
    FuzzCheck(picture.pixels == nullptr, "a refused picture leaves no pixels");
    return 0;
  }
  FuzzCheck(SkinUI::PictureSizeAllowed(picture.width, picture.height), "a decoded picture is within the limits");
  FuzzCheck(picture.pixels != nullptr, "a decoded picture has pixels");
  const uint8_t* pixel = picture.pixels.get();
  const uint8_t* const end = pixel + static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4;
  bool transparent = false;
  for (; pixel != end; pixel += 4) {
    FuzzCheck(pixel[0] <= pixel[3] && pixel[1] <= pixel[3] && pixel[2] <= pixel[3], "colours are premultiplied");
    transparent |= pixel[3] < 255;
  }
  FuzzCheck(transparent == picture.has_transparency, "transparency is flagged exactly when some alpha is below 255");
  return 0;
}
