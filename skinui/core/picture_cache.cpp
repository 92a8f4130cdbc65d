#include "skinui/core/picture_cache.h"

#include <tuple>

#include "skinui/core/skin_diagnostics.h"

namespace SkinUI {

ConstPixelView PictureView(const DecodedPicture& picture) {
  // The decoder's rows are whole 32-bit pixels, from an allocation aligned for any type.
  return {reinterpret_cast<const uint32_t*>(picture.pixels.get()), picture.width, picture.height, picture.width};
}

const DecodedPicture* PictureCache::Get(const WString& name) {
  const DecodedPicture* picture = Load(name);
  if (picture == nullptr && m_reportedMissing.insert(name).second) SkinDiagnostics().PictureMissing(name);
  return picture;
}

const DecodedPicture* PictureCache::Load(const WString& name) {
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
  if (variant != description.file && Load(variant) != nullptr) description.file = variant;
  return m_descriptions.emplace(text, std::move(description)).first->second;
}

namespace {

// The stretched pictures of a window are a few window-sized ones at most: 16 million pixels
// (64 MiB) hold the installing page's strip at 200 percent with room to spare. Beyond that the
// cache starts over rather than grow.
constexpr int64_t kScaledPixelBudget = int64_t{16} << 20;

auto Tie(const UiRect& r) { return std::tie(r.left, r.top, r.right, r.bottom); }

}  // namespace

bool PictureCache::ScaledKey::operator<(const ScaledKey& other) const {
  return std::forward_as_tuple(file, Tie(source), Tie(corners), size.cx, size.cy) <
         std::forward_as_tuple(other.file, Tie(other.source), Tie(other.corners), other.size.cx, other.size.cy);
}

const PixelBuffer* PictureCache::Scaled(const WString& file, const DecodedPicture& picture, const UiRect& source,
                                        const UiRect& corners, const UiSize& size) {
  const int64_t pixels = int64_t{size.cx} * size.cy;
  if (size.cx <= 0 || size.cy <= 0 || pixels > kScaledPixelBudget / 4) return nullptr;
  ScaledKey key{file, source, corners, size};
  const auto found = m_scaled.find(key);
  if (found != m_scaled.end()) return &found->second;
  if (m_scaledPixels + pixels > kScaledPixelBudget) {
    m_scaled.clear();
    m_scaledPixels = 0;
  }
  PixelBuffer scaled(size.cx, size.cy);
  PixelPainter painter(scaled.View());
  painter.DrawPicture(PictureView(picture), source, {0, 0, size.cx, size.cy}, corners, 255, false);
  m_scaledPixels += pixels;
  return &m_scaled.emplace(std::move(key), std::move(scaled)).first->second;
}

void PictureCache::Clear() {
  m_pictures.clear();
  m_descriptions.clear();
  m_scaled.clear();
  m_scaledPixels = 0;
}

}  // namespace SkinUI
