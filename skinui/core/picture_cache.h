#pragma once
// The pictures of one window: decoded once per name and kept, and the picture descriptions of
// its controls parsed once per text at the window's scale, with the file name of the
// display-scale variant where the skin has one. A new scale drops both.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "common/utf16.h"
#include "skinui/core/picture_decode.h"
#include "skinui/core/picture_description.h"
#include "skinui/core/pixel_painter.h"

namespace SkinUI {

// A decoded picture as the painter reads it.
ConstPixelView PictureView(const DecodedPicture& picture);

// Reads and decodes the picture of a name; nothing when it cannot be read or decoded.
using PictureLoader = std::function<std::optional<DecodedPicture>(const WString& name)>;

class PictureCache {
 public:
  explicit PictureCache(PictureLoader loader) : m_loader(std::move(loader)) {}

  // The decoded picture, loaded on first use. A name that failed once is not tried again
  // until the cache is cleared, so a missing picture costs nothing per frame; the skin
  // diagnostics hear of it once.
  const DecodedPicture* Get(const WString& name);

  // The description parsed at `scale_percent`, its rectangles scaled; away from 100 percent its
  // file names the variant for the scale when that picture loads, and otherwise the picture as
  // written.
  const PictureDescription& Describe(const WString& text, int32_t scale_percent);

  // `source` of the picture named `file` drawn into `size` pixels with the nine-grid `corners`,
  // made once and kept while it is asked for at that size: a stretched picture that a window
  // shows every frame (a strip that moves, a plate behind a button) then costs a copy per frame
  // rather than a resampling. Null when it would not fit into what the cache keeps; the caller
  // then draws from the picture itself.
  const PixelBuffer* Scaled(const WString& file, const DecodedPicture& picture, const UiRect& source,
                            const UiRect& corners, const UiSize& size);

  void Clear();

 private:
  struct ScaledKey {
    WString file;
    UiRect source;
    UiRect corners;
    UiSize size;
    bool operator<(const ScaledKey& other) const;
  };

  // Loads and keeps, but leaves reporting a failure to the caller: a display-scale variant that
  // the skin does not have is no fault.
  const DecodedPicture* Load(const WString& name);

  PictureLoader m_loader;
  std::map<WString, std::unique_ptr<DecodedPicture>> m_pictures;  // null: failed to load
  std::set<WString> m_reportedMissing;
  std::map<WString, PictureDescription> m_descriptions;
  int32_t m_descriptionScale = 100;
  std::map<ScaledKey, PixelBuffer> m_scaled;
  int64_t m_scaledPixels = 0;
};

}  // namespace SkinUI
