#include "common/setup_log_version.h"

#include <cstdint>
#include <string>

namespace {

// Three words of header, then the key with its zero, padded to four bytes.
constexpr size_t kFixedInfoOffset = 40;
constexpr size_t kFixedInfoSize = 52;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr char kKey[] = "VS_VERSION_INFO";

uint32_t Word(const unsigned char* at) { return at[0] | uint32_t{at[1]} << 8; }

uint32_t DoubleWord(const unsigned char* at) { return Word(at) | Word(at + 2) << 16; }

void AppendNumber(uint32_t number, WString* text) {
  for (const char digit : std::to_string(number)) text->push_back(static_cast<Utf16Char>(digit));
}

}  // namespace

WString FileVersionText(const unsigned char* data, size_t size) {
  if (data == nullptr || size < kFixedInfoOffset + kFixedInfoSize || Word(data + 2) < kFixedInfoSize) return {};
  for (size_t i = 0; i < sizeof(kKey); ++i) {
    if (Word(data + 6 + 2 * i) != static_cast<unsigned char>(kKey[i])) return {};
  }
  const unsigned char* fixed = data + kFixedInfoOffset;
  if (DoubleWord(fixed) != kFixedInfoSignature) return {};
  const uint32_t most = DoubleWord(fixed + 8);
  const uint32_t least = DoubleWord(fixed + 12);
  WString text;
  const uint32_t parts[] = {most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF};
  for (const uint32_t part : parts) {
    if (!text.empty()) text.push_back(U16('.'));
    AppendNumber(part, &text);
  }
  return text;
}
