#pragma once
// For fuzz targets: a broken promise of the code under test ends the run the way a crash
// does, so that libFuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>

inline void FuzzCheck(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}
