#include "engine/download_progress.h"

#include <cstdio>

#include "common/progress_scale.h"
#include "engine/progress_milestones.h"

namespace {

constexpr double kMegabyte = 1048576.0;

void AppendAscii(WString* text, const char* ascii) {
  for (; *ascii != '\0'; ++ascii) text->push_back(static_cast<Utf16Char>(*ascii));
}

void AppendMegabytes(WString* text, uint32_t bytes) {
  char number[32];
  std::snprintf(number, sizeof number, "%.02f", static_cast<double>(bytes) / kMegabyte);
  AppendAscii(text, number);
}

}  // namespace

int32_t DownloadProgressValue(uint32_t received, uint32_t total) {
  const double share = static_cast<double>(received) / static_cast<double>(total) * kProgressScale;
  const double value = kProgressDirectoriesRecorded + share / 1.4286;
  // A body longer than announced stops below the download's end, so that the page never goes
  // backwards when the download's own milestone follows.
  constexpr int32_t kLargest = kProgressDownloaded - 1;
  return value >= static_cast<double>(kLargest) ? kLargest : static_cast<int32_t>(value);
}

WString DownloadStatusText(uint32_t received, uint32_t total) {
  WString text = U16("正在下载，请稍候...(已下载：");
  AppendMegabytes(&text, received);
  if (total != 0) {
    text += U16(" MB 共：");
    AppendMegabytes(&text, total);
  }
  text += U16(" MB)");
  return text;
}

bool NextDownloadReport(uint32_t received, uint32_t total, const DownloadShown& shown,
                        DownloadReport* report) {
  if (total == 0) {
    // Without a size there is no share to show; the received amount is renewed once per
    // megabyte so that a long body does not flood the window's queue.
    const int64_t megabytes = received / 1048576u;
    // An attempt that starts the file over shows nothing until it passes what was shown.
    if (megabytes <= *shown.last_unsized_megabytes) return false;
    *shown.last_unsized_megabytes = megabytes;
    report->has_progress = false;
    report->progress = 0;
    report->status = DownloadStatusText(received, 0);
    return true;
  }
  const int32_t value = DownloadProgressValue(received, total);
  // The page never runs backwards, not even when an attempt starts the file over.
  if (value <= *shown.last_progress) return false;
  *shown.last_progress = value;
  report->has_progress = true;
  report->progress = value;
  report->status = DownloadStatusText(received, total);
  return true;
}
