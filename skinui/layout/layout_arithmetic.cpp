#include "skinui/layout/layout_arithmetic.h"

#include <algorithm>

namespace SkinUI {

namespace {

// A rectangle or four margins with 64-bit edges: every length read is within the layout limit,
// so sums over any number of children that fit into memory cannot overflow.
struct Box {
  int64_t left;
  int64_t top;
  int64_t right;
  int64_t bottom;
};

// A declaration in pixels, every length within the layout limit and every size at least 0.
struct PixelChild {
  UiSize fixed;
  UiSize min;
  UiSize max;
  UiSize content;
  UiRect padding;
  int32_t x;
  int32_t y;
};

int32_t ScaleLength(const DpiScale& scale, int32_t length) {
  return ClampToLayoutLimit(scale.Scale(length));
}

UiSize ScaleSize(const DpiScale& scale, const UiSize& size) {
  return {std::max(ScaleLength(scale, size.cx), 0), std::max(ScaleLength(scale, size.cy), 0)};
}

// Margins are four lengths, not a rectangle: each is scaled on its own.
UiRect ScaleMargins(const DpiScale& scale, const UiRect& margins) {
  return {ScaleLength(scale, margins.left), ScaleLength(scale, margins.top),
          ScaleLength(scale, margins.right), ScaleLength(scale, margins.bottom)};
}

PixelChild ToPixels(const LayoutChild& child, const DpiScale& scale) {
  const UiSize content{std::max(ClampToLayoutLimit(child.content_size.cx), 0),
                       std::max(ClampToLayoutLimit(child.content_size.cy), 0)};
  return {ScaleSize(scale, child.fixed_size),
          ScaleSize(scale, child.min_size),
          ScaleSize(scale, child.max_size),
          content,
          ScaleMargins(scale, child.padding),
          ScaleLength(scale, child.fixed_x),
          ScaleLength(scale, child.fixed_y)};
}

Box ToBox(const UiRect& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

Box Shrink(const Box& box, const UiRect& margins) {
  return {box.left + margins.left, box.top + margins.top, box.right - margins.right,
          box.bottom - margins.bottom};
}

// Capped at `max` first and raised to `min` after, so that a minimum above the maximum wins.
int64_t ClampBetween(int64_t value, int64_t min, int64_t max) { return std::max(std::min(value, max), min); }

UiRect ToRect(int64_t left, int64_t top, int64_t width, int64_t height) {
  return {ClampToLayoutLimit(left), ClampToLayoutLimit(top), ClampToLayoutLimit(left + width),
          ClampToLayoutLimit(top + height)};
}

UiRect PlaceFloating(const UiRect& parent, const PixelChild& child) {
  const int64_t width = child.fixed.cx;
  const int64_t height = child.fixed.cy;
  return ToRect(int64_t{parent.left} + child.x, int64_t{parent.top} + child.y, width, height);
}

// The vertical and horizontal layouts are one layout along an axis: "along" is the direction in
// which children follow each other, "across" the other one.
enum class Axis { kHorizontal, kVertical };

int64_t Along(Axis axis, const UiSize& size) { return axis == Axis::kVertical ? size.cy : size.cx; }
int64_t Across(Axis axis, const UiSize& size) { return axis == Axis::kVertical ? size.cx : size.cy; }

template <typename Edges>
int64_t LeadAlong(Axis axis, const Edges& edges) {
  return axis == Axis::kVertical ? edges.top : edges.left;
}
template <typename Edges>
int64_t TrailAlong(Axis axis, const Edges& edges) {
  return axis == Axis::kVertical ? edges.bottom : edges.right;
}
template <typename Edges>
int64_t LeadAcross(Axis axis, const Edges& edges) {
  return axis == Axis::kVertical ? edges.left : edges.top;
}
template <typename Edges>
int64_t TrailAcross(Axis axis, const Edges& edges) {
  return axis == Axis::kVertical ? edges.right : edges.bottom;
}

UiRect PlaceAlong(Axis axis, int64_t along_begin, int64_t along_length, int64_t across_begin,
                  int64_t across_length) {
  return axis == Axis::kVertical ? ToRect(across_begin, along_begin, across_length, along_length)
                                 : ToRect(along_begin, across_begin, along_length, across_length);
}

// A child of the flow as measured by the first pass.
struct FlowChild {
  size_t index;
  PixelChild pixels;
  bool stretches;
  int64_t length;  // along the axis; 0 for a stretching child until it is placed
};

ChildRects LayoutFlow(Axis axis, const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                      const std::vector<LayoutChild>& children) {
  ChildRects placed(children.size());
  const Box inner = Shrink(ToBox(rect), ScaleMargins(scale, inset));

  std::vector<FlowChild> flow;
  int64_t fixed_total = 0;  // lengths of the fixed children and the paddings of all
  int64_t stretch_count = 0;
  for (size_t i = 0; i < children.size(); ++i) {
    if (!children[i].visible) {
      continue;
    }
    const PixelChild pixels = ToPixels(children[i], scale);
    if (children[i].floating) {
      placed[i] = PlaceFloating(rect, pixels);
      continue;
    }
    const int64_t fixed = Along(axis, pixels.fixed);
    int64_t length = fixed > 0 ? fixed : Along(axis, pixels.content);
    const bool stretches = length == 0;
    if (stretches) {
      ++stretch_count;
    } else {
      length = ClampBetween(length, Along(axis, pixels.min), Along(axis, pixels.max));
    }
    fixed_total += LeadAlong(axis, pixels.padding) + length + TrailAlong(axis, pixels.padding);
    flow.push_back({i, pixels, stretches, length});
  }

  const int64_t inner_end = TrailAlong(axis, inner);
  const int64_t inner_across = TrailAcross(axis, inner) - LeadAcross(axis, inner);
  const int64_t share =
      stretch_count == 0 ? 0 : std::max<int64_t>((inner_end - LeadAlong(axis, inner) - fixed_total) / stretch_count, 0);
  int64_t cursor = LeadAlong(axis, inner);
  int64_t still_to_come = fixed_total;  // what the children after the current one take
  int64_t stretched = 0;
  for (const FlowChild& child : flow) {
    const PixelChild& pixels = child.pixels;
    const int64_t lead = LeadAlong(axis, pixels.padding);
    const int64_t trail = TrailAlong(axis, pixels.padding);
    still_to_come -= lead + child.length + trail;
    const int64_t begin = cursor + lead;
    int64_t length = child.length;
    if (child.stretches) {
      ++stretched;
      length = stretched < stretch_count ? share
                                         : std::max<int64_t>(inner_end - begin - trail - still_to_come, 0);
      length = ClampBetween(length, Along(axis, pixels.min), Along(axis, pixels.max));
    }
    const int64_t room_across = inner_across - LeadAcross(axis, pixels.padding) - TrailAcross(axis, pixels.padding);
    const int64_t fixed_across = Across(axis, pixels.fixed);
    const int64_t across =
        std::max(fixed_across > 0 ? std::min(fixed_across, room_across) : room_across, Across(axis, pixels.min));
    placed[child.index] =
        PlaceAlong(axis, begin, length, LeadAcross(axis, inner) + LeadAcross(axis, pixels.padding), across);
    cursor = begin + length + trail;
  }
  return placed;
}

}  // namespace

ChildRects LayoutVertical(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                          const std::vector<LayoutChild>& children) {
  return LayoutFlow(Axis::kVertical, rect, inset, scale, children);
}

ChildRects LayoutHorizontal(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                            const std::vector<LayoutChild>& children) {
  return LayoutFlow(Axis::kHorizontal, rect, inset, scale, children);
}

ChildRects LayoutContainer(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                           const std::vector<LayoutChild>& children) {
  ChildRects placed(children.size());
  const Box inner = Shrink(ToBox(rect), inset);
  for (size_t i = 0; i < children.size(); ++i) {
    if (!children[i].visible) {
      continue;
    }
    const PixelChild pixels = ToPixels(children[i], scale);
    placed[i] = children[i].floating
                    ? PlaceFloating(rect, pixels)
                    : ToRect(inner.left, inner.top, ClampBetween(inner.right - inner.left, pixels.min.cx, pixels.max.cx),
                             ClampBetween(inner.bottom - inner.top, pixels.min.cy, pixels.max.cy));
  }
  return placed;
}

ChildRects LayoutTab(const UiRect& rect, const UiRect& inset, const DpiScale& scale,
                     const std::vector<LayoutChild>& children, int32_t selected) {
  ChildRects placed(children.size());
  if (selected < 0 || static_cast<size_t>(selected) >= children.size()) {
    return placed;
  }
  const LayoutChild& child = children[static_cast<size_t>(selected)];
  const PixelChild pixels = ToPixels(child, scale);
  if (child.floating) {
    placed[static_cast<size_t>(selected)] = PlaceFloating(rect, pixels);
    return placed;
  }
  const Box area = Shrink(Shrink(ToBox(rect), inset), pixels.padding);
  const int64_t width = pixels.fixed.cx > 0 ? pixels.fixed.cx : std::max<int64_t>(area.right - area.left, 0);
  const int64_t height = pixels.fixed.cy > 0 ? pixels.fixed.cy : std::max<int64_t>(area.bottom - area.top, 0);
  placed[static_cast<size_t>(selected)] = ToRect(area.left, area.top, width, height);
  return placed;
}

}  // namespace SkinUI
