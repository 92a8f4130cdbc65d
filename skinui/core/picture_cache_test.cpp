#include "skinui/core/picture_cache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "skinui/core/testing/print_geometry.h"
#include "skinui/core/testing/recording_diagnostics.h"

namespace SkinUI {
namespace {

// A loader that has the pictures named in `present` (as 1x1 pictures) and counts what it is asked.
class FakeLoader {
 public:
  explicit FakeLoader(std::set<WString> present) : present_(std::move(present)) {}
  PictureLoader Loader() {
    return [this](const WString& name) -> std::optional<DecodedPicture> {
      ++asked_[name];
      if (present_.count(name) == 0) return std::nullopt;
      DecodedPicture picture;
      picture.width = 1;
      picture.height = 1;
      return picture;
    };
  }
  int Asked(const WString& name) { return asked_[name]; }

 private:
  std::set<WString> present_;
  std::map<WString, int> asked_;
};

struct VariantCase {
  int32_t scale;
  WString expected_file;
};

class VariantChoiceTest : public testing::TestWithParam<VariantCase> {};

TEST_P(VariantChoiceTest, TakesTheVariantThatExistsForTheScale) {
  FakeLoader loader({U16("btn.png"), U16("btn@2x.png"), U16("btn@3x.png")});
  PictureCache cache(loader.Loader());
  EXPECT_EQ(cache.Describe(U16("file='btn.png' source='7,6,27,26'"), GetParam().scale).file, GetParam().expected_file);
}

INSTANTIATE_TEST_SUITE_P(Scales, VariantChoiceTest,
                         testing::Values(VariantCase{100, U16("btn.png")}, VariantCase{200, U16("btn@2x.png")},
                                         VariantCase{300, U16("btn@3x.png")},
                                         // No "@4x" picture: the picture as written.
                                         VariantCase{400, U16("btn.png")}));

TEST(PictureCacheTest, ScaledRectanglesAddressTheVariant) {
  FakeLoader loader({U16("btn.png"), U16("btn@2x.png")});
  PictureCache cache(loader.Loader());
  const PictureDescription& description = cache.Describe(U16("file='btn.png' source='7,6,27,26'"), 200);
  EXPECT_EQ(description.source, (UiRect{14, 12, 54, 52}));
}

TEST(PictureCacheTest, MissingVariantKeepsTheScaledRectangleOfThePictureAsWritten) {
  FakeLoader loader({U16("btn.png")});
  PictureCache cache(loader.Loader());
  const PictureDescription& description = cache.Describe(U16("file='btn.png' source='7,6,27,26'"), 200);
  EXPECT_EQ(description.file, U16("btn.png"));
  EXPECT_EQ(description.source, (UiRect{14, 12, 54, 52}));
}

TEST(PictureCacheTest, AMissingPictureIsAskedForOnceUntilCleared) {
  FakeLoader loader({});
  PictureCache cache(loader.Loader());
  EXPECT_EQ(cache.Get(U16("gone.png")), nullptr);
  EXPECT_EQ(cache.Get(U16("gone.png")), nullptr);
  EXPECT_EQ(loader.Asked(U16("gone.png")), 1);
  cache.Clear();
  EXPECT_EQ(cache.Get(U16("gone.png")), nullptr);
  EXPECT_EQ(loader.Asked(U16("gone.png")), 2);
}

TEST(PictureCacheTest, AMissingPictureIsReportedOnceAndAMissingVariantNever) {
  RecordingDiagnostics diagnostics;
  FakeLoader loader({U16("btn.png")});
  PictureCache cache(loader.Loader());
  // No "@2x" variant of either picture: only the picture as written counts.
  for (int round = 0; round < 2; ++round) {
    cache.Get(cache.Describe(U16("file='btn.png'"), 200).file);
    cache.Get(cache.Describe(U16("file='gone.png'"), 200).file);
  }
  EXPECT_EQ(diagnostics.missing_pictures, std::vector<WString>{U16("gone.png")});
}

TEST(PictureCacheTest, DescriptionsAreParsedAgainForANewScale) {
  FakeLoader loader({U16("a.png")});
  PictureCache cache(loader.Loader());
  EXPECT_EQ(cache.Describe(U16("file='a.png' dest='1,2,3,4'"), 100).dest, (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(cache.Describe(U16("file='a.png' dest='1,2,3,4'"), 300).dest, (UiRect{3, 6, 9, 12}));
}

}  // namespace
}  // namespace SkinUI

namespace SkinUI {
namespace {

// A picture of these premultiplied pixels, in a block the decoder's deleter frees.
DecodedPicture PictureOf(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
  DecodedPicture picture;
  picture.pixels.reset(static_cast<uint8_t*>(std::malloc(pixels.size() * sizeof(uint32_t))));
  std::memcpy(picture.pixels.get(), pixels.data(), pixels.size() * sizeof(uint32_t));
  picture.width = width;
  picture.height = height;
  return picture;
}

TEST(ScaledPictureTest, IsMadeOnceForASizeAndMatchesTheStretchedPicture) {
  PictureCache cache([](const WString&) { return std::optional<DecodedPicture>(); });
  const DecodedPicture picture = PictureOf(2, 1, {0xFFFF0000, 0xFF0000FF});
  const PixelBuffer* scaled = cache.Scaled(U16("p.png"), picture, {0, 0, 2, 1}, {}, {4, 2});
  ASSERT_NE(scaled, nullptr);
  ASSERT_EQ(scaled->Width(), 4);
  ASSERT_EQ(scaled->Height(), 2);
  EXPECT_EQ(scaled->At(0, 1), 0xFFFF0000u);
  EXPECT_EQ(scaled->At(3, 0), 0xFF0000FFu);
  EXPECT_EQ(cache.Scaled(U16("p.png"), picture, {0, 0, 2, 1}, {}, {4, 2}), scaled);

  const PixelBuffer* other_size = cache.Scaled(U16("p.png"), picture, {0, 0, 2, 1}, {}, {6, 2});
  ASSERT_NE(other_size, nullptr);
  EXPECT_EQ(other_size->Width(), 6);
  const PixelBuffer* other_source = cache.Scaled(U16("p.png"), picture, {1, 0, 2, 1}, {}, {4, 2});
  ASSERT_NE(other_source, nullptr);
  EXPECT_EQ(other_source->At(0, 0), 0xFF0000FFu);
}

TEST(ScaledPictureTest, RefusesSizesBeyondWhatItKeeps) {
  PictureCache cache([](const WString&) { return std::optional<DecodedPicture>(); });
  const DecodedPicture picture = PictureOf(1, 1, {0xFFFFFFFF});
  EXPECT_EQ(cache.Scaled(U16("p.png"), picture, {0, 0, 1, 1}, {}, {0, 5}), nullptr);
  EXPECT_EQ(cache.Scaled(U16("p.png"), picture, {0, 0, 1, 1}, {}, {1 << 20, 1 << 20}), nullptr);
}

}  // namespace
}  // namespace SkinUI
