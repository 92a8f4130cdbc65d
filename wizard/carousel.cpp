#include "wizard/carousel.h"

CarouselStep AdvanceCarousel(const CarouselDistances& before) {
  CarouselStep step;
  step.distances = {before.total + kCarouselStep, before.picture + kCarouselStep};
  if (step.distances.picture >= kCarouselPictureWidth) {
    step.pause = true;
    step.distances.picture = 0;
  }
  if (step.distances.total >= kCarouselStripPeriod) {
    step.reset = true;
    step.distances.total = 0;
  }
  return step;
}
