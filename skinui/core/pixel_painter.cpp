#include "skinui/core/pixel_painter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "skinui/core/nine_grid.h"

namespace SkinUI {

namespace {

constexpr uint32_t kRedBlue = 0x00FF00FFu;

// Each channel of `pixel` times factor/255, rounded to nearest. Two channels share one
// multiplication, each in its own 16-bit lane, where (x + 128 + ((x + 128) >> 8)) >> 8 is x/255
// rounded for every x up to 255 x 255 without carrying into the next lane.
uint32_t ScalePixel(uint32_t pixel, uint32_t factor) {
  uint32_t red_blue = (pixel & kRedBlue) * factor + 0x00800080u;
  red_blue = ((red_blue + ((red_blue >> 8) & kRedBlue)) >> 8) & kRedBlue;
  uint32_t alpha_green = ((pixel >> 8) & kRedBlue) * factor + 0x00800080u;
  alpha_green = (alpha_green + ((alpha_green >> 8) & kRedBlue)) & ~kRedBlue;
  return red_blue | alpha_green;
}

// Premultiplied `source` over `dest`. Neither sum overflows a channel, since a source channel
// is at most its alpha and the scaled destination channel at most 255 minus that alpha.
uint32_t Over(uint32_t dest, uint32_t source) {
  const uint32_t alpha = source >> 24;
  if (alpha == 255) return source;
  if (alpha == 0) return dest;
  return source + ScalePixel(dest, 255 - alpha);
}

UiRect Meet(const UiRect& a, const UiRect& b) {
  const UiRect met{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                   std::min(a.bottom, b.bottom)};
  return met.IsEmpty() ? UiRect{} : met;
}

bool IsUsable(int32_t width, int32_t height, int32_t stride, const void* pixels) {
  return pixels != nullptr && width > 0 && height > 0 && stride >= width;
}

// Writes a row of premultiplied pixels, faded, over or in place of what is there.
void WriteSpan(uint32_t* out, const uint32_t* in, int32_t count, uint32_t fade, bool blend) {
  if (!blend && fade == 255) {
    std::memcpy(out, in, static_cast<size_t>(count) * sizeof(uint32_t));
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t pixel = fade == 255 ? in[i] : ScalePixel(in[i], fade);
    out[i] = blend ? Over(out[i], pixel) : pixel;
  }
}

// Filter weights are fixed-point with this sum, so that a run of equal pixels filters back to
// exactly its value.
constexpr uint32_t kWeightOne = 1u << 16;

// Which source pixels, and with what weights, make each of a run of destination pixels along
// one axis. Source indices are relative to the start of the piece's source.
struct AxisTaps {
  std::vector<int32_t> first;    // per destination pixel: its first source pixel
  std::vector<uint32_t> begin;   // per destination pixel and one past the last: into `weights`
  std::vector<uint32_t> weights; // of consecutive source pixels from `first`, summing to kWeightOne

  void Add(int32_t source, uint32_t weight) {
    if (weights.size() == begin.back()) first.push_back(source);
    weights.push_back(weight);
  }
  void EndPixel() { begin.push_back(static_cast<uint32_t>(weights.size())); }
};

// Taps of destination pixels [from, to) of a piece whose `source` pixels span `dest` pixels.
// A growing piece interpolates linearly between the two nearest source pixel centres, clamped
// to the piece at its ends; a shrinking one averages the source area each destination pixel
// covers, in exact integers (both lengths are below 2^32, so every product stays below 2^63).
void BuildTaps(int64_t from, int64_t to, int64_t source, int64_t dest, AxisTaps* taps) {
  taps->first.clear();
  taps->weights.clear();
  taps->begin.assign(1, 0);
  for (int64_t x = from; x < to; ++x) {
    if (source == dest) {
      taps->Add(static_cast<int32_t>(x), kWeightOne);
    } else if (source < dest) {
      // The source position of the destination pixel's centre; double keeps it close enough
      // where the exact product would need 65 bits.
      const double position = ((2.0 * static_cast<double>(x) + 1.0) * static_cast<double>(source) -
                               static_cast<double>(dest)) / (2.0 * static_cast<double>(dest));
      const double floor = std::floor(position);
      if (position <= 0) {
        taps->Add(0, kWeightOne);
      } else if (floor >= static_cast<double>(source - 1)) {
        taps->Add(static_cast<int32_t>(source - 1), kWeightOne);
      } else {
        const auto index = static_cast<int32_t>(floor);
        const auto next = static_cast<uint32_t>(std::lround((position - floor) * kWeightOne));
        if (next < kWeightOne) taps->Add(index, kWeightOne - next);
        if (next > 0) taps->Add(index + 1, next);
      }
    } else {
      // In units of 1/dest source pixel the destination pixel covers [low, high), `source` long.
      // Weights are differences of rounded running totals, so they add up to kWeightOne exactly.
      const int64_t low = x * source;
      const int64_t high = low + source;
      int64_t covered = 0;
      uint32_t given = 0;
      for (int64_t index = low / dest; index * dest < high; ++index) {
        covered += std::min(high, (index + 1) * dest) - std::max(low, index * dest);
        const auto total = static_cast<uint32_t>((covered * kWeightOne + source / 2) / source);
        taps->Add(static_cast<int32_t>(index), total - given);
        given = total;
      }
    }
    taps->EndPixel();
  }
}

// Source rows filtered horizontally into the visible columns: four channels a pixel, 8 bits of
// fraction each. The last two rows are kept, which is all that the vertical pass revisits when
// it walks down the destination.
class FilteredRows {
 public:
  FilteredRows(const ConstPixelView& picture, const UiRect& source, const AxisTaps& columns)
      : picture_(picture), source_(source), columns_(columns) {
    for (Slot& slot : slots_) slot.values.resize(columns.first.size() * 4);
  }

  const uint16_t* Row(int32_t row) {
    for (size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].row == row) {
        victim_ = 1 - i;
        return slots_[i].values.data();
      }
    }
    Slot& slot = slots_[victim_];
    victim_ = 1 - victim_;
    slot.row = row;
    Filter(row, slot.values.data());
    return slot.values.data();
  }

 private:
  struct Slot {
    int32_t row = -1;
    std::vector<uint16_t> values;
  };

  void Filter(int32_t row, uint16_t* out) const {
    const uint32_t* line =
        picture_.pixels + static_cast<ptrdiff_t>(source_.top + row) * picture_.stride + source_.left;
    const size_t count = columns_.first.size();
    for (size_t column = 0; column < count; ++column) {
      const uint32_t* pixel = line + columns_.first[column];
      uint32_t sums[4] = {128, 128, 128, 128};
      for (uint32_t tap = columns_.begin[column]; tap < columns_.begin[column + 1]; ++tap, ++pixel) {
        const uint32_t weight = columns_.weights[tap];
        sums[0] += weight * (*pixel & 0xFF);
        sums[1] += weight * ((*pixel >> 8) & 0xFF);
        sums[2] += weight * ((*pixel >> 16) & 0xFF);
        sums[3] += weight * (*pixel >> 24);
      }
      for (size_t channel = 0; channel < 4; ++channel) {
        out[column * 4 + channel] = static_cast<uint16_t>(sums[channel] >> 8);
      }
    }
  }

  const ConstPixelView& picture_;
  const UiRect& source_;
  const AxisTaps& columns_;
  std::array<Slot, 2> slots_;
  size_t victim_ = 0;
};

}  // namespace

PixelBuffer::PixelBuffer(int32_t width, int32_t height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_)) {}

uint32_t Premultiply(uint32_t argb) { return ScalePixel(argb | 0xFF000000u, argb >> 24); }

PixelPainter::PixelPainter(const PixelView& target) {
  if (IsUsable(target.width, target.height, target.stride, target.pixels)) {
    target_ = target;
    clips_.push_back({0, 0, target.width, target.height});
  } else {
    clips_.push_back({});
  }
}

PixelPainter::ClipScope::ClipScope(PixelPainter& painter, const UiRect& rect) : painter_(painter) {
  painter_.clips_.push_back(Meet(painter_.Clip(), rect));
}

PixelPainter::ClipScope::~ClipScope() { painter_.clips_.pop_back(); }

void PixelPainter::FillColor(const UiRect& rect, uint32_t argb) {
  const uint32_t color = Premultiply(argb);
  const uint32_t alpha = color >> 24;
  const UiRect visible = Meet(rect, Clip());
  if (alpha == 0 || visible.IsEmpty()) return;
  for (int32_t y = visible.top; y < visible.bottom; ++y) {
    uint32_t* row = Row(y);
    if (alpha == 255) {
      std::fill(row + visible.left, row + visible.right, color);
    } else {
      for (int32_t x = visible.left; x < visible.right; ++x) row[x] = color + ScalePixel(row[x], 255 - alpha);
    }
  }
}

void PixelPainter::DrawBorder(const UiRect& rect, int32_t width, uint32_t argb) {
  if (width <= 0 || rect.IsEmpty()) return;
  // The inner edges lie inside the rectangle, so they fit in 32 bits though `width` may not.
  const auto inner_top = static_cast<int32_t>(std::min<int64_t>(int64_t{rect.top} + width, rect.bottom));
  const auto inner_bottom = static_cast<int32_t>(std::max<int64_t>(int64_t{rect.bottom} - width, inner_top));
  const auto inner_left = static_cast<int32_t>(std::min<int64_t>(int64_t{rect.left} + width, rect.right));
  const auto inner_right = static_cast<int32_t>(std::max<int64_t>(int64_t{rect.right} - width, inner_left));
  FillColor({rect.left, rect.top, rect.right, inner_top}, argb);
  FillColor({rect.left, inner_bottom, rect.right, rect.bottom}, argb);
  FillColor({rect.left, inner_top, inner_left, inner_bottom}, argb);
  FillColor({inner_right, inner_top, rect.right, inner_bottom}, argb);
}

void PixelPainter::DrawPicture(const ConstPixelView& picture, const UiRect& source, const UiRect& dest,
                               const UiRect& corners, uint8_t fade, bool blend) {
  if (!IsUsable(picture.width, picture.height, picture.stride, picture.pixels) || Clip().IsEmpty()) return;
  const UiRect inside = Meet(source, {0, 0, picture.width, picture.height});
  for (const PicturePart& part : NineGridParts(inside, dest, corners)) {
    DrawPart(picture, part.source, part.dest, fade, blend);
  }
}

void PixelPainter::DrawPart(const ConstPixelView& picture, const UiRect& source, const UiRect& dest, uint8_t fade,
                            bool blend) {
  const UiRect visible = Meet(dest, Clip());
  if (visible.IsEmpty() || (blend && fade == 0)) return;
  if (int64_t{dest.right} - dest.left == source.Width() && int64_t{dest.bottom} - dest.top == source.Height()) {
    CopyPart(picture, source, dest, visible, fade, blend);
  } else {
    StretchPart(picture, source, dest, visible, fade, blend);
  }
}

void PixelPainter::CopyPart(const ConstPixelView& picture, const UiRect& source, const UiRect& dest,
                            const UiRect& visible, uint8_t fade, bool blend) {
  // The piece is as large as its source, so these offsets lie inside the picture.
  const auto column = static_cast<int32_t>(source.left + (int64_t{visible.left} - dest.left));
  const auto first_row = static_cast<int32_t>(source.top + (int64_t{visible.top} - dest.top));
  for (int32_t y = visible.top; y < visible.bottom; ++y) {
    const uint32_t* in =
        picture.pixels + static_cast<ptrdiff_t>(first_row + (y - visible.top)) * picture.stride + column;
    WriteSpan(Row(y) + visible.left, in, visible.Width(), fade, blend);
  }
}

void PixelPainter::StretchPart(const ConstPixelView& picture, const UiRect& source, const UiRect& dest,
                               const UiRect& visible, uint8_t fade, bool blend) {
  AxisTaps columns;
  AxisTaps rows;
  BuildTaps(int64_t{visible.left} - dest.left, int64_t{visible.right} - dest.left, source.Width(),
            int64_t{dest.right} - dest.left, &columns);
  BuildTaps(int64_t{visible.top} - dest.top, int64_t{visible.bottom} - dest.top, source.Height(),
            int64_t{dest.bottom} - dest.top, &rows);
  FilteredRows filtered(picture, source, columns);
  const size_t width = columns.first.size();
  std::vector<uint32_t> sums(width * 4);
  std::vector<uint32_t> line(width);
  for (int32_t y = visible.top; y < visible.bottom; ++y) {
    const size_t row = static_cast<size_t>(y - visible.top);
    // Weights of 2^16 times values of at most 255 x 2^8, plus half of 2^24 for rounding, stay
    // below 2^32.
    std::fill(sums.begin(), sums.end(), 1u << 23);
    int32_t source_row = rows.first[row];
    for (uint32_t tap = rows.begin[row]; tap < rows.begin[row + 1]; ++tap, ++source_row) {
      const uint32_t weight = rows.weights[tap];
      const uint16_t* values = filtered.Row(source_row);
      for (size_t i = 0; i < width * 4; ++i) sums[i] += weight * values[i];
    }
    for (size_t x = 0; x < width; ++x) {
      line[x] = (sums[x * 4] >> 24) | ((sums[x * 4 + 1] >> 24) << 8) | ((sums[x * 4 + 2] >> 24) << 16) |
                ((sums[x * 4 + 3] >> 24) << 24);
    }
    WriteSpan(Row(y) + visible.left, line.data(), visible.Width(), fade, blend);
  }
}

void PixelPainter::BlendCoverage(const UiRect& where, const uint8_t* coverage, int32_t coverage_stride,
                                 uint32_t argb) {
  const UiRect visible = Meet(where, Clip());
  if (coverage == nullptr || coverage_stride < int64_t{where.right} - where.left || (argb >> 24) == 0 ||
      visible.IsEmpty()) {
    return;
  }
  // The colour at each of the 256 coverages, premultiplied once rather than per pixel.
  std::array<uint32_t, 256> colors;
  for (uint32_t value = 0; value < colors.size(); ++value) {
    const uint32_t alpha = ScalePixel(value << 24, argb >> 24) >> 24;
    colors[value] = Premultiply((alpha << 24) | (argb & 0x00FFFFFFu));
  }
  for (int32_t y = visible.top; y < visible.bottom; ++y) {
    const uint8_t* mask = coverage + static_cast<ptrdiff_t>(int64_t{y} - where.top) * coverage_stride +
                          static_cast<ptrdiff_t>(int64_t{visible.left} - where.left);
    uint32_t* row = Row(y);
    for (int32_t x = visible.left; x < visible.right; ++x, ++mask) {
      if (*mask != 0) row[x] = Over(row[x], colors[*mask]);
    }
  }
}

}  // namespace SkinUI
