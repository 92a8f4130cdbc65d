#pragma once
// What the package download tells the wizard while the body arrives: a progress value on the
// progress scale (100 to 799 during the download) and a status text with the amounts.
#include <cstdint>

#include "common/utf16.h"

// 100 + received / total x kProgressScale / 1.4286, truncated: 799 for a complete body. A body
// longer than announced stays at 799.
// `total` must not be 0.
int32_t DownloadProgressValue(uint32_t received, uint32_t total);

// "正在下载，请稍候...(已下载：R MB 共：T MB)" with both amounts in megabytes of 1048576 bytes
// and two decimals; without a known total (0) only the received amount: "...(已下载：R MB)".
WString DownloadStatusText(uint32_t received, uint32_t total);

// What the window has been told last; lives as long as the installation, across all attempts.
struct DownloadShown {
  int32_t* last_progress;             // the last posted progress value
  int64_t* last_unsized_megabytes;    // whole megabytes last reported for a body of unknown size
};

struct DownloadReport {
  bool has_progress = false;  // a progress value goes with the text (only with a known total)
  int32_t progress = 0;
  WString status;
};

// False when the call would show nothing new: the progress value is not above the one posted
// last, or, without a known total, the received amount has not passed another whole megabyte. Otherwise fills `report` and records it in `shown`.
bool NextDownloadReport(uint32_t received, uint32_t total, const DownloadShown& shown,
                        DownloadReport* report);
