#include "skinui/core/nine_grid.h"

#include <algorithm>
#include <array>

namespace SkinUI {

namespace {

// One axis of a rectangle. Spans of 32-bit edges are computed in 64 bits, where a length of up
// to 2^32 - 1 times a margin below 2^31 still fits.
struct Span {
  int64_t begin;
  int64_t end;
  int64_t Length() const { return end - begin; }
};

// Shrinks two opposite margins in proportion until they fit into `length` (not negative).
void FitMargins(int64_t length, int64_t* lead, int64_t* trail) {
  const int64_t total = *lead + *trail;
  if (total <= length) {
    return;
  }
  *lead = length * *lead / total;
  *trail = length - *lead;
}

std::array<Span, 3> Thirds(const Span& span, int64_t lead, int64_t trail) {
  return {Span{span.begin, span.begin + lead}, Span{span.begin + lead, span.end - trail},
          Span{span.end - trail, span.end}};
}

// The three source and destination spans along one axis.
struct AxisSplit {
  std::array<Span, 3> source;
  std::array<Span, 3> dest;
};

AxisSplit SplitAxis(const Span& source, const Span& dest, int32_t lead_margin, int32_t trail_margin) {
  int64_t lead = std::max(lead_margin, 0);
  int64_t trail = std::max(trail_margin, 0);
  FitMargins(source.Length(), &lead, &trail);
  const std::array<Span, 3> source_thirds = Thirds(source, lead, trail);
  FitMargins(dest.Length(), &lead, &trail);
  return {source_thirds, Thirds(dest, lead, trail)};
}

// Every value handed here lies between two 32-bit edges.
UiRect ToRect(const Span& x, const Span& y) {
  return {static_cast<int32_t>(x.begin), static_cast<int32_t>(y.begin), static_cast<int32_t>(x.end),
          static_cast<int32_t>(y.end)};
}

}  // namespace

std::vector<PicturePart> NineGridParts(const UiRect& source, const UiRect& dest, const UiRect& corners) {
  std::vector<PicturePart> parts;
  const Span source_x{source.left, source.right};
  const Span source_y{source.top, source.bottom};
  const Span dest_x{dest.left, dest.right};
  const Span dest_y{dest.top, dest.bottom};
  if (source_x.Length() <= 0 || source_y.Length() <= 0 || dest_x.Length() <= 0 ||
      dest_y.Length() <= 0) {
    return parts;
  }
  const AxisSplit x = SplitAxis(source_x, dest_x, corners.left, corners.right);
  const AxisSplit y = SplitAxis(source_y, dest_y, corners.top, corners.bottom);
  for (size_t row = 0; row < 3; ++row) {
    for (size_t column = 0; column < 3; ++column) {
      if (x.source[column].Length() > 0 && y.source[row].Length() > 0 &&
          x.dest[column].Length() > 0 && y.dest[row].Length() > 0) {
        parts.push_back({ToRect(x.source[column], y.source[row]), ToRect(x.dest[column], y.dest[row])});
      }
    }
  }
  return parts;
}

UiRect PictureDestination(const UiRect& control, const std::optional<UiRect>& dest) {
  if (!dest) {
    return control;
  }
  const int64_t left = int64_t{control.left} + dest->left;
  const int64_t top = int64_t{control.top} + dest->top;
  const int64_t right = std::max(left, std::min(int64_t{control.left} + dest->right, int64_t{control.right}));
  const int64_t bottom = std::max(top, std::min(int64_t{control.top} + dest->bottom, int64_t{control.bottom}));
  return {SaturateToInt32(left), SaturateToInt32(top), SaturateToInt32(right), SaturateToInt32(bottom)};
}

UiRect PictureSource(const UiSize& picture, const std::optional<UiRect>& source) {
  const int32_t width = std::max(picture.cx, 0);
  const int32_t height = std::max(picture.cy, 0);
  if (!source) {
    return {0, 0, width, height};
  }
  const int32_t left = std::clamp(source->left, 0, width);
  const int32_t top = std::clamp(source->top, 0, height);
  return {left, top, std::clamp(source->right, left, width), std::clamp(source->bottom, top, height)};
}

UiRect ProgressFillRect(const UiRect& control, int32_t value, int32_t min, int32_t max) {
  const int64_t low = min;
  const int64_t high = min < max ? int64_t{max} : low + 1;
  const int64_t clamped = std::clamp<int64_t>(value, low, high);
  // Both factors are below 2^32, so their product needs the unsigned 64-bit range.
  const uint64_t width = static_cast<uint64_t>(std::max<int64_t>(int64_t{control.right} - control.left, 0));
  const uint64_t filled = static_cast<uint64_t>(clamped - low) * width / static_cast<uint64_t>(high - low);
  return {control.left, control.top, static_cast<int32_t>(control.left + static_cast<int64_t>(filled)),
          control.bottom};
}

}  // namespace SkinUI
