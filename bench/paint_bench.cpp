// Composes one window frame with the painter, again and again, at 100 and 200 percent: the
// window's part of a picture strip copied at its own size (the common case), a few pictures
// stretched through their nine grids, fills, a frame and a text-sized coverage mask. Prints the
// median time of a frame and the frames per second that gives.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "skinui/core/pixel_painter.h"

namespace {

using SkinUI::PixelBuffer;
using SkinUI::PixelPainter;
using SkinUI::UiRect;

constexpr int kFrames = 300;

// An opaque picture with some variation, so that no stage sees only one colour.
PixelBuffer Picture(int32_t width, int32_t height, uint32_t alpha) {
  PixelBuffer picture(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t argb = (alpha << 24) | static_cast<uint32_t>((x * 7 + y * 3) & 0xFFFFFF);
      picture.At(x, y) = SkinUI::Premultiply(argb);
    }
  }
  return picture;
}

struct Scene {
  int32_t scale;
  PixelBuffer strip;
  PixelBuffer button;
  PixelBuffer track;
  PixelBuffer icon;
  std::vector<uint8_t> text_mask;
};

Scene MakeScene(int32_t scale) {
  Scene scene{scale, Picture(4000 * scale, 550 * scale, 255), Picture(96 * scale, 32 * scale, 255),
              Picture(10 * scale, 6 * scale, 255), Picture(64 * scale, 64 * scale, 200), {}};
  scene.text_mask.resize(static_cast<size_t>(300 * scale) * (20 * scale));
  for (size_t i = 0; i < scene.text_mask.size(); ++i) scene.text_mask[i] = static_cast<uint8_t>(i * 37);
  return scene;
}

void PaintFrame(const Scene& scene, PixelBuffer* frame) {
  const int32_t s = scene.scale;
  const auto scaled = [s](int32_t l, int32_t t, int32_t r, int32_t b) { return UiRect{l * s, t * s, r * s, b * s}; };
  PixelPainter painter(frame->View());
  painter.DrawPicture(scene.strip.View(), scaled(1600, 0, 2400, 550), scaled(0, 0, 800, 550), {}, 255, false);
  painter.FillColor(scaled(20, 300, 780, 500), 0x80FFFFFF);
  painter.DrawBorder(scaled(20, 300, 780, 500), s, 0xFF3366CC);
  for (int32_t i = 0; i < 3; ++i) {
    painter.DrawPicture(scene.button.View(), scaled(0, 0, 96, 32), scaled(300 + i * 150, 440, 420 + i * 150, 476),
                        scaled(4, 4, 4, 4), 255, true);
  }
  painter.DrawPicture(scene.track.View(), scaled(0, 0, 10, 6), scaled(50, 400, 750, 406), scaled(3, 0, 3, 0), 255,
                      false);
  painter.DrawPicture(scene.icon.View(), scaled(0, 0, 64, 64), scaled(40, 40, 88, 88), {}, 255, true);
  painter.BlendCoverage(scaled(60, 320, 360, 340), scene.text_mask.data(), 300 * s, 0xFF202020);
}

void Measure(int32_t scale) {
  const Scene scene = MakeScene(scale);
  PixelBuffer frame(800 * scale, 550 * scale);
  std::vector<double> milliseconds;
  for (int i = 0; i < kFrames; ++i) {
    const auto start = std::chrono::steady_clock::now();
    PaintFrame(scene, &frame);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    milliseconds.push_back(took.count());
  }
  std::nth_element(milliseconds.begin(), milliseconds.begin() + kFrames / 2, milliseconds.end());
  const double median = milliseconds[kFrames / 2];
  // Printing a pixel keeps the compiler from dropping frames that nobody looks at.
  std::printf("%3d%%  %4dx%-4d  %.3f ms/frame (median of %d)  %.0f frames/s  [%08X]\n", scale * 100, frame.Width(),
              frame.Height(), median, kFrames, 1000.0 / median, frame.At(100 * scale, 330 * scale));
}

}  // namespace

int main() {
  Measure(1);
  Measure(2);
  return 0;
}
