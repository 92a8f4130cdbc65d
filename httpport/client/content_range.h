#pragma once
// The reply to a request for the rest of a file ("Range: bytes=N-" with "If-Range"): whether
// its body continues the bytes already kept, replaces them, or is of no use.
#include <cstdint>
#include <string>

// "bytes first-last/complete"; `complete` is 0 when the server does not know it ("/*").
struct ContentRange {
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t complete = 0;
  bool complete_known = false;
};

// False for anything but a satisfied byte range: another unit, "bytes */C", last before first,
// a range past the complete length, numbers that do not fit.
bool ParseContentRange(const std::string& text, ContentRange* range);

enum class RangeReply {
  kAppend,     // 206 that goes on exactly where the kept bytes end, up to the file's end
  kStartOver,  // 200: the file changed (If-Range did not hold) or the server ignores ranges
  kFail,
};

// `status` of the reply, its Content-Range (empty when none), its Content-Length when
// `has_length`, and `offset`, the number of bytes kept and asked to be continued.
RangeReply JudgeRangeReply(uint32_t status, const std::string& content_range, bool has_length,
                           uint64_t content_length, uint64_t offset);
