#pragma once
// The text of one setup log line, apart from the file it goes to.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/utf16.h"

// Local time as the system gives it.
struct LogTime {
  uint16_t year;
  uint16_t month;
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
};

// Longer message texts are cut: a line is meant to be read, and a server's reply or a path
// quoted in it must not swell the log.
constexpr size_t kMaxLogTextUnits = 1000;

// "YYYY-MM-DD hh:mm:ss.mmm <text>\r\n" in UTF-8. Control characters in `text` (line breaks
// from a server's message, for instance) become blanks, so that one message is one line; a
// text longer than kMaxLogTextUnits is cut there, never inside a surrogate pair.
std::string FormatSetupLogLine(const LogTime& time, const Utf16Char* text, size_t length);
