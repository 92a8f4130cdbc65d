#include "skinui/core/nine_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <vector>

#include "skinui/core/testing/print_geometry.h"

namespace SkinUI {

void PrintTo(const PicturePart& p, std::ostream* os) {
  PrintTo(p.source, os);
  *os << "->";
  PrintTo(p.dest, os);
}

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct GridCase {
  const char* what;
  UiRect source;
  UiRect dest;
  UiRect corners;
  std::vector<PicturePart> parts;
};

class NineGridPartsTest : public testing::TestWithParam<GridCase> {};

TEST_P(NineGridPartsTest, SplitsIntoTheExpectedPieces) {
  const GridCase& c = GetParam();
  EXPECT_EQ(NineGridParts(c.source, c.dest, c.corners), c.parts) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NineGridPartsTest,
    testing::Values(
        GridCase{"the progress track: side strips kept, middle stretched along the bar",
                 {0, 6, 10, 12},
                 {40, 100, 760, 106},
                 {3, 0, 3, 0},
                 {{{0, 6, 3, 12}, {40, 100, 43, 106}},
                  {{3, 6, 7, 12}, {43, 100, 757, 106}},
                  {{7, 6, 10, 12}, {757, 100, 760, 106}}}},
        GridCase{"four different margins give nine pieces, row by row",
                 {0, 0, 30, 30},
                 {100, 200, 200, 260},
                 {4, 5, 6, 7},
                 {{{0, 0, 4, 5}, {100, 200, 104, 205}},
                  {{4, 0, 24, 5}, {104, 200, 194, 205}},
                  {{24, 0, 30, 5}, {194, 200, 200, 205}},
                  {{0, 5, 4, 23}, {100, 205, 104, 253}},
                  {{4, 5, 24, 23}, {104, 205, 194, 253}},
                  {{24, 5, 30, 23}, {194, 205, 200, 253}},
                  {{0, 23, 4, 30}, {100, 253, 104, 260}},
                  {{4, 23, 24, 30}, {104, 253, 194, 260}},
                  {{24, 23, 30, 30}, {194, 253, 200, 260}}}},
        GridCase{"no margins: the whole picture in one piece",
                 {7, 6, 27, 26},
                 {0, 0, 100, 30},
                 {0, 0, 0, 0},
                 {{{7, 6, 27, 26}, {0, 0, 100, 30}}}},
        GridCase{"negative margins count as none",
                 {0, 0, 20, 20},
                 {0, 0, 50, 50},
                 {-4, -4, -4, -4},
                 {{{0, 0, 20, 20}, {0, 0, 50, 50}}}},
        GridCase{"margins wider than the destination shrink in proportion and meet",
                 {0, 0, 20, 10},
                 {0, 0, 4, 10},
                 {6, 0, 2, 0},
                 {{{0, 0, 6, 10}, {0, 0, 3, 10}}, {{18, 0, 20, 10}, {3, 0, 4, 10}}}},
        GridCase{"margins wider than the source shrink to it; the middle has no pixels",
                 {0, 0, 10, 10},
                 {0, 0, 100, 10},
                 {8, 0, 8, 0},
                 {{{0, 0, 5, 10}, {0, 0, 5, 10}}, {{5, 0, 10, 10}, {95, 0, 100, 10}}}},
        GridCase{"an empty destination draws nothing", {0, 0, 10, 10}, {5, 5, 5, 50}, {1, 1, 1, 1}, {}},
        GridCase{"an inverted destination draws nothing", {0, 0, 10, 10}, {50, 5, 5, 50}, {0, 0, 0, 0}, {}},
        GridCase{"an inverted source draws nothing", {10, 0, 0, 10}, {0, 0, 50, 50}, {0, 0, 0, 0}, {}}));

// Margins, rectangles and sizes from the ends of the 32-bit range: every piece stays inside its
// source and destination, is not empty, and the destination pieces cover the destination
// exactly once when the source has a middle.
struct HostileCase {
  UiRect source;
  UiRect dest;
  UiRect corners;
  bool covers;
};

class NineGridHostileTest : public testing::TestWithParam<HostileCase> {};

bool Inside(const UiRect& inner, const UiRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

long double Area(const UiRect& r) {
  return (static_cast<long double>(r.right) - r.left) * (static_cast<long double>(r.bottom) - r.top);
}

TEST_P(NineGridHostileTest, PiecesStayInsideAndCover) {
  const HostileCase& c = GetParam();
  const std::vector<PicturePart> parts = NineGridParts(c.source, c.dest, c.corners);
  ASSERT_FALSE(parts.empty());
  long double covered = 0;
  for (const PicturePart& part : parts) {
    EXPECT_TRUE(Inside(part.source, c.source));
    EXPECT_TRUE(Inside(part.dest, c.dest));
    EXPECT_LT(part.source.left, part.source.right);
    EXPECT_LT(part.source.top, part.source.bottom);
    EXPECT_LT(part.dest.left, part.dest.right);
    EXPECT_LT(part.dest.top, part.dest.bottom);
    covered += Area(part.dest);
  }
  if (c.covers) {
    EXPECT_EQ(covered, Area(c.dest));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Extremes, NineGridHostileTest,
    testing::Values(HostileCase{{kMin, kMin, kMax, kMax}, {kMin, kMin, kMax, kMax}, {kMax, kMax, kMax, kMax}, false},
                    HostileCase{{0, 0, 10, 10}, {kMin, kMin, kMax, kMax}, {kMax, kMax, kMax, kMax}, false},
                    HostileCase{{kMin, kMin, kMax, kMax}, {0, 0, 7, 9}, {kMax, 1, kMax, 1}, true},
                    HostileCase{{0, 0, 30, 30}, {kMin, 0, kMax, 3}, {kMax, 10, 10, kMax}, false},
                    HostileCase{{0, 0, 30, 30}, {-5, -7, 3, 2}, {10, 10, 10, 10}, true},
                    HostileCase{{0, 0, 30, 30}, {0, 0, 1, 1}, {kMax, kMax, 0, 0}, true}));

struct DestinationCase {
  const char* what;
  UiRect control;
  std::optional<UiRect> dest;
  UiRect drawn;
};

class PictureDestinationTest : public testing::TestWithParam<DestinationCase> {};

TEST_P(PictureDestinationTest, IsRelativeAndClippedAtTheFarEdges) {
  const DestinationCase& c = GetParam();
  EXPECT_EQ(PictureDestination(c.control, c.dest), c.drawn) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureDestinationTest,
    testing::Values(
        DestinationCase{"without dest the whole control", {100, 50, 300, 90}, std::nullopt, {100, 50, 300, 90}},
        DestinationCase{"the arrow at the link's right end", {668, 500, 770, 520}, UiRect{85, 2, 101, 18},
                        {753, 502, 769, 518}},
        DestinationCase{"right and bottom clipped to the control", {0, 0, 102, 20}, UiRect{85, 2, 120, 30},
                        {85, 2, 102, 20}},
        DestinationCase{"left and top are not clipped", {100, 100, 200, 200}, UiRect{-5, -5, 10, 10},
                        {95, 95, 110, 110}},
        DestinationCase{"starting beyond the control gives an empty rectangle", {0, 0, 102, 20},
                        UiRect{110, 25, 120, 30}, {110, 25, 110, 25}},
        DestinationCase{"an inverted dest gives an empty rectangle", {100, 100, 200, 200}, UiRect{10, 10, 5, 5},
                        {110, 110, 110, 110}},
        DestinationCase{"edges beyond 32 bits saturate", {kMax - 10, kMin, kMax, kMin + 10},
                        UiRect{kMax, kMin, kMax, kMin}, {kMax, kMin, kMax, kMin}}));

struct SourceCase {
  const char* what;
  UiSize picture;
  std::optional<UiRect> source;
  UiRect used;
};

class PictureSourceTest : public testing::TestWithParam<SourceCase> {};

TEST_P(PictureSourceTest, IsClippedToThePicture) {
  const SourceCase& c = GetParam();
  EXPECT_EQ(PictureSource(c.picture, c.source), c.used) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureSourceTest,
    testing::Values(SourceCase{"without source the whole picture", {800, 645}, std::nullopt, {0, 0, 800, 645}},
                    SourceCase{"inside stays", {800, 645}, UiRect{0, 95, 800, 645}, {0, 95, 800, 645}},
                    SourceCase{"a doubled source on a picture without variant is cut", {35, 35},
                               UiRect{14, 12, 54, 52}, {14, 12, 35, 35}},
                    SourceCase{"negative edges start at the picture", {35, 35}, UiRect{-5, -5, 10, 10},
                               {0, 0, 10, 10}},
                    SourceCase{"outside the picture nothing", {35, 35}, UiRect{50, 50, 60, 60},
                               {35, 35, 35, 35}},
                    SourceCase{"inverted nothing", {35, 35}, UiRect{20, 20, 10, 10}, {20, 20, 20, 20}},
                    SourceCase{"a picture of negative size has no pixels", {-1, -1}, UiRect{0, 0, 5, 5},
                               {0, 0, 0, 0}}));

struct FillCase {
  const char* what;
  UiRect control;
  int32_t value;
  int32_t min;
  int32_t max;
  int32_t right;
};

class ProgressFillRectTest : public testing::TestWithParam<FillCase> {};

TEST_P(ProgressFillRectTest, FillsTheShareOfTheWidthRoundedDown) {
  const FillCase& c = GetParam();
  const UiRect fill = ProgressFillRect(c.control, c.value, c.min, c.max);
  EXPECT_EQ(fill, (UiRect{c.control.left, c.control.top, c.right, c.control.bottom})) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressFillRectTest,
    testing::Values(FillCase{"half of an odd width rounds down", {40, 500, 761, 506}, 500, 0, 1000, 400},
                    FillCase{"nothing at the start", {40, 500, 761, 506}, 0, 0, 1000, 40},
                    FillCase{"99.5 percent", {40, 500, 761, 506}, 995, 0, 1000, 757},
                    FillCase{"all at the end", {40, 500, 761, 506}, 1000, 0, 1000, 761},
                    FillCase{"a value above the range is the end", {40, 500, 761, 506}, 1001, 0, 1000, 761},
                    FillCase{"a value below the range is the start", {40, 500, 761, 506}, -5, 0, 1000, 40},
                    FillCase{"a range not starting at 0", {0, 0, 100, 6}, 30, 20, 60, 25},
                    FillCase{"max equal to min becomes min + 1: at min", {0, 0, 100, 6}, 5, 5, 5, 0},
                    FillCase{"max equal to min becomes min + 1: above", {0, 0, 100, 6}, 6, 5, 5, 100},
                    FillCase{"max below min becomes min + 1", {0, 0, 100, 6}, 7, 10, 3, 0},
                    FillCase{"a control of negative width fills nothing", {10, 0, 5, 6}, 50, 0, 100, 10},
                    FillCase{"the whole 32-bit range over the widest control", {kMin, 0, kMax, 1}, 0, kMin, kMax,
                             0},
                    FillCase{"the largest value over the widest control", {kMin, 0, kMax, 1}, kMax, kMin, kMax,
                             kMax},
                    FillCase{"the largest min", {kMin, 0, kMax, 1}, kMax, kMax, kMax, kMin}));

}  // namespace
}  // namespace SkinUI
