#pragma once
// The fixed points of one installation on the progress scale. Between them the download posts
// 101 to 799 and the extraction counts up from kProgressDownloaded + 1.
#include <cstdint>

#include "common/progress_scale.h"

constexpr int32_t kProgressStarted = 20;
// Whatever the version query's outcome.
constexpr int32_t kProgressVersionQueried = 80;
// Both directories settled and recorded; the download's values start from here.
constexpr int32_t kProgressDirectoriesRecorded = 100;
constexpr int32_t kProgressDownloaded = 800;
constexpr int32_t kProgressExtracted = 970;
constexpr int32_t kProgressLinksAndFirewallDone = 980;
constexpr int32_t kProgressFinished = kProgressScale;
