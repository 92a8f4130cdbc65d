#include "skinui/core/picture_cache.h"

namespace SkinUI {

ConstPixelView PictureView(const DecodedPicture& picture) {
  // The decoder's rows are whole 32-bit pixels, from an allocation aligned for any type.
  return {reinterpret_cast<const uint32_t*>(picture.pixels.get()), picture.width, picture.height, picture.width};
}

const DecodedPicture* PictureCache::Get(const WString& name) {
  const auto found = m_pictures.find(name);
  if (found != m_pictures.end()) return found->second.get();
  std::unique_ptr<DecodedPicture> picture;
  if (std::optional<DecodedPicture> loaded = m_loader(name)) {
    picture = std::make_unique<DecodedPicture>(std::move(*loaded));
  }
  return m_pictures.emplace(name, std::move(picture)).first->second.get();
}

const PictureDescription& PictureCache::Describe(const WString& text, int32_t scale_percent) {
  if (scale_percent != m_descriptionScale) {
    m_descriptions.clear();
    m_descriptionScale = scale_percent;
  }
  const auto found = m_descriptions.find(text);
  if (found != m_descriptions.end()) return found->second;
  PictureDescription description = ParsePictureDescription(text, scale_percent);
  const WString variant = ScaledPictureName(description.file, scale_percent);
  if (variant != description.file && Get(variant) != nullptr) description.file = variant;
  return m_descriptions.emplace(text, std::move(description)).first->second;
}

void PictureCache::Clear() {
  m_pictures.clear();
  m_descriptions.clear();
}

}  // namespace SkinUI
