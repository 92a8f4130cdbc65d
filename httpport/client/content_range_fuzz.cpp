// A server's Content-Range header, as the resumed download reads it. Whatever it says, a
// parsed range lies inside the file, and only a reply that goes on exactly at the offset asked
// for is appended.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/testing/fuzz_check.h"
#include "httpport/client/content_range.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ContentRange range;
  if (ParseContentRange(text, &range)) {
    FuzzCheck(range.first <= range.last, "a range does not end before it starts");
    FuzzCheck(!range.complete_known || range.last < range.complete, "a range lies inside the file");
    FuzzCheck(JudgeRangeReply(206, text, false, 0, range.first) ==
                  (!range.complete_known || range.last + 1 == range.complete ? RangeReply::kAppend
                                                                            : RangeReply::kFail),
              "a range that reaches the file's end continues at its first byte");
    if (range.first != 0) {
      FuzzCheck(JudgeRangeReply(206, text, false, 0, range.first - 1) == RangeReply::kFail,
                "a range that starts anywhere else is refused");
    }
  }
  FuzzCheck(JudgeRangeReply(200, text, false, 0, 1) == RangeReply::kStartOver, "a whole file starts over");
  return 0;
}
