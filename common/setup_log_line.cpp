#include "common/setup_log_line.h"

#include <cstdio>

#include "common/text_convert.h"

namespace {

bool IsLeadSurrogate(Utf16Char unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

std::string FormatSetupLogLine(const LogTime& time, const Utf16Char* text, size_t length) {
  if (length > kMaxLogTextUnits) {
    length = kMaxLogTextUnits;
    if (IsLeadSurrogate(text[length - 1])) --length;
  }
  WString cleaned(text, length);
  for (Utf16Char& unit : cleaned) {
    if (unit < 0x20 || unit == 0x7F) unit = U16(' ');
  }
  char stamp[48];
  std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u ", unsigned{time.year},
                unsigned{time.month}, unsigned{time.day}, unsigned{time.hour}, unsigned{time.minute},
                unsigned{time.second}, unsigned{time.milliseconds});
  return stamp + Utf16ToUtf8(cleaned.data(), cleaned.size()) + "\r\n";
}
