#include "httpport/client/content_range.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(const std::string& text, size_t* at) {
  while (*at < text.size() && IsBlank(text[*at])) ++*at;
}

// Decimal digits at *at; false when there are none or the value passes 2^63 - 1.
bool ReadNumber(const std::string& text, size_t* at, uint64_t* value) {
  constexpr uint64_t kLargest = 0x7FFFFFFFFFFFFFFFull;
  const size_t start = *at;
  uint64_t number = 0;
  for (; *at < text.size() && text[*at] >= '0' && text[*at] <= '9'; ++*at) {
    const uint64_t digit = static_cast<uint64_t>(text[*at] - '0');
    if (number > (kLargest - digit) / 10) return false;
    number = number * 10 + digit;
  }
  *value = number;
  return *at > start;
}

bool Expect(const std::string& text, size_t* at, char wanted) {
  SkipBlanks(text, at);
  if (*at >= text.size() || text[*at] != wanted) return false;
  ++*at;
  SkipBlanks(text, at);
  return true;
}

bool StartsWithUnit(const std::string& text, size_t* at) {
  static const char kUnit[] = "bytes";
  SkipBlanks(text, at);
  for (const char* u = kUnit; *u != '\0'; ++u, ++*at) {
    if (*at >= text.size() || (text[*at] | 0x20) != *u) return false;
  }
  // The unit and the range are separated by at least one blank.
  if (*at >= text.size() || !IsBlank(text[*at])) return false;
  SkipBlanks(text, at);
  return true;
}

}  // namespace

bool ParseContentRange(const std::string& text, ContentRange* range) {
  size_t at = 0;
  ContentRange parsed;
  if (!StartsWithUnit(text, &at)) return false;
  if (!ReadNumber(text, &at, &parsed.first) || !Expect(text, &at, '-') ||
      !ReadNumber(text, &at, &parsed.last) || !Expect(text, &at, '/')) {
    return false;
  }
  if (at < text.size() && text[at] == '*') {
    ++at;
  } else {
    if (!ReadNumber(text, &at, &parsed.complete)) return false;
    parsed.complete_known = true;
  }
  SkipBlanks(text, &at);
  if (at != text.size() || parsed.last < parsed.first) return false;
  if (parsed.complete_known && parsed.last >= parsed.complete) return false;
  *range = parsed;
  return true;
}

RangeReply JudgeRangeReply(uint32_t status, const std::string& content_range, bool has_length,
                           uint64_t content_length, uint64_t offset) {
  if (status == 200) return RangeReply::kStartOver;
  if (status != 206) return RangeReply::kFail;
  ContentRange range;
  if (!ParseContentRange(content_range, &range) || range.first != offset) return RangeReply::kFail;
  // The request asked for everything from the offset on; a reply that stops short of the
  // file's end would leave a file that looks whole and is not.
  if (range.complete_known && range.last + 1 != range.complete) return RangeReply::kFail;
  if (has_length && content_length != range.last - range.first + 1) return RangeReply::kFail;
  return RangeReply::kAppend;
}
