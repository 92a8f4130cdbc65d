#include "skinui/core/picture_cache.h"

#include <gtest/gtest.h>

#include <set>

#include "skinui/core/testing/print_geometry.h"

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

TEST(PictureCacheTest, DescriptionsAreParsedAgainForANewScale) {
  FakeLoader loader({U16("a.png")});
  PictureCache cache(loader.Loader());
  EXPECT_EQ(cache.Describe(U16("file='a.png' dest='1,2,3,4'"), 100).dest, (UiRect{1, 2, 3, 4}));
  EXPECT_EQ(cache.Describe(U16("file='a.png' dest='1,2,3,4'"), 300).dest, (UiRect{3, 6, 9, 12}));
}

}  // namespace
}  // namespace SkinUI
