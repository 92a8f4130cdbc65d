#pragma once
// The one scale of an installation's progress: the engine posts values from 0 to kProgressScale,
// the wizard's bar runs over the same range, and the page shows the value as a whole percentage.
#include <cstdint>

constexpr int32_t kProgressScale = 1000;
// Progress values per percent shown, so that 995 shows 99%.
constexpr int32_t kProgressPerPercent = kProgressScale / 100;
