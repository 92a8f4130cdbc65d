#include "wizard/carousel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Runs `steps` steps from `start` and records after which steps a pause and a reset came.
struct CarouselRun {
  CarouselDistances end;
  std::vector<int> pauses;
  std::vector<int> resets;
};

CarouselRun Steps(CarouselDistances start, int steps) {
  CarouselRun run{start, {}, {}};
  for (int i = 1; i <= steps; ++i) {
    const CarouselStep step = AdvanceCarousel(run.end);
    run.end = step.distances;
    if (step.pause) run.pauses.push_back(i);
    if (step.reset) run.resets.push_back(i);
  }
  return run;
}

TEST(CarouselTest, FourSlidesOfTwentyFiveStepsBringTheStripHome) {
  const CarouselRun run = Steps({}, 100);
  EXPECT_EQ(run.pauses, (std::vector<int>{25, 50, 75, 100}));
  EXPECT_EQ(run.resets, std::vector<int>{100});
  EXPECT_EQ(run.end.total, 0);
  EXPECT_EQ(run.end.picture, 0);
}

TEST(CarouselTest, AStoppedSlideIsFinishedWhenItResumes) {
  // Stopped after 10 steps of the second slide: 15 more steps end it.
  const CarouselRun stopped = Steps({}, 35);
  const CarouselRun resumed = Steps(stopped.end, 15);
  EXPECT_EQ(resumed.pauses, std::vector<int>{15});
  EXPECT_EQ(resumed.end.total, 2 * kCarouselPictureWidth);
}

TEST(CarouselTest, AFreshStartEndsItsFirstSlideOnTheSecondPicture) {
  const CarouselRun run = Steps({}, 25);
  EXPECT_EQ(run.pauses, std::vector<int>{25});
  EXPECT_EQ(run.end.total, kCarouselPictureWidth);
}

}  // namespace
