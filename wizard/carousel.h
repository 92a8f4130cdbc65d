#pragma once
// The installing page's carousel as arithmetic: a strip of five 800-unit pictures slides left in
// steps of 32 units, pauses after each picture, and after four pictures (the fifth is a copy of
// the first) goes back home without a visible jump.
#include <cstdint>

constexpr int32_t kCarouselStep = 32;            // units per step
constexpr uint32_t kCarouselStepMs = 10;
constexpr int32_t kCarouselPictureWidth = 800;   // units per slide
constexpr uint32_t kCarouselPauseMs = 3000;
constexpr int32_t kCarouselStripPeriod = 3200;   // four pictures, then home

// How far the strip has gone: since home, and within the current slide.
struct CarouselDistances {
  int32_t total = 0;
  int32_t picture = 0;
};

// What follows one step that was just posted: the new distances, whether the slide ended (a
// pause begins) and whether the strip goes back home.
struct CarouselStep {
  CarouselDistances distances;
  bool pause = false;
  bool reset = false;
};

CarouselStep AdvanceCarousel(const CarouselDistances& before);
