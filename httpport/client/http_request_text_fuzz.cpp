// The socket client's reading of a response: the peer's bytes arrive in segments, and after
// each one ResponseComplete decides whether to wait for more, up to kMaxResponseLength bytes.
// The first input byte sets the segment length (1 to 256), the rest is what the peer sends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/testing/fuzz_check.h"
#include "httpport/client/http_request_text.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t segment = static_cast<size_t>(data[0]) + 1;
  const std::string sent(reinterpret_cast<const char*>(data + 1), size - 1);

  std::string response;
  size_t offset = 0;
  bool complete = false;
  while (response.size() < kMaxResponseLength && offset < sent.size()) {
    const size_t count = std::min({segment, kMaxResponseLength - response.size(), sent.size() - offset});
    response.append(sent, offset, count);
    offset += count;
    complete = ResponseComplete(response);
    if (complete) break;
  }
  FuzzCheck(response.size() <= kMaxResponseLength, "the response text stays within its buffer");
  if (!complete) return 0;

  FuzzCheck(response.find("\r\n\r\n") != std::string::npos, "a complete response holds its whole header block");
  // A body announced by its length stays complete as more arrives; only the end of a chunked
  // body is a matter of where the text stops.
  if (!EndsWith(response, "\r\n0\r\n\r\n")) {
    const std::string longer = sent.substr(0, std::min(sent.size(), kMaxResponseLength));
    FuzzCheck(ResponseComplete(longer), "a response complete by its length stays complete");
  }
  return 0;
}
