#include "common/text_convert.h"

#include <cstdint>

namespace {

// The sequence length that a lead byte announces; bytes that cannot lead (stray continuation
// bytes, 0xFC to 0xFF) count as 6-byte sequences.
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  if ((lead & 0xFC) == 0xF8) return 5;
  return 6;
}

// Whether the sequence at `text` is whole: none of the bytes it needs is the terminator.
// Checking them in order never reads past the terminator.
bool IsWhole(const unsigned char* text, size_t length) {
  for (size_t i = 1; i < length; ++i) {
    if (text[i] == 0) return false;
  }
  return true;
}

constexpr uint32_t kReplacement = 0xFFFD;

// The code point of one whole sequence. Continuation bytes are taken as they come; 5- and
// 6-byte sequences and values beyond U+10FFFF have no UTF-16 form and become U+FFFD.
uint32_t Decode(const unsigned char* text, size_t length) {
  static const unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  if (length > 4) return kReplacement;
  uint32_t code = text[0] & kLeadBits[length];
  for (size_t i = 1; i < length; ++i) {
    code = (code << 6) | (text[i] & 0x3F);
  }
  return code > 0x10FFFF ? kReplacement : code;
}

// Walks the whole sequences of `text`, handing each code point to `visit`.
template <class Visit>
void ForEachCodePoint(const char* text, Visit visit) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const size_t length = SequenceLength(*p);
    if (!IsWhole(p, length)) return;
    visit(Decode(p, length));
    p += length;
  }
}

}  // namespace

size_t Utf8CharCount(const char* text) {
  size_t count = 0;
  if (text != nullptr) {
    ForEachCodePoint(text, [&count](uint32_t) { ++count; });
  }
  return count;
}

String16 Utf8ToString16(const char* text) {
  size_t units = 0;
  if (text != nullptr) {
    ForEachCodePoint(text, [&units](uint32_t code) { units += code > 0xFFFF ? 2 : 1; });
  }
  String16 result;
  if (units == 0) {
    return result;
  }
  result.Append(units, Utf16Char(0));
  Utf16Char* out = result.Writable();
  ForEachCodePoint(text, [&out](uint32_t code) {
    if (code > 0xFFFF) {
      code -= 0x10000;
      *out++ = static_cast<Utf16Char>(0xD800 + (code >> 10));
      *out++ = static_cast<Utf16Char>(0xDC00 + (code & 0x3FF));
    } else {
      *out++ = static_cast<Utf16Char>(code);
    }
  });
  return result;
}

String16 Utf8ToString16(const String8& text) { return Utf8ToString16(text.CStr()); }

std::string Utf16ToUtf8(const Utf16Char* units, size_t count) {
  std::string out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    uint32_t code = static_cast<uint16_t>(units[i]);
    const bool lead = code >= 0xD800 && code <= 0xDBFF;
    const uint32_t next = i + 1 < count ? static_cast<uint16_t>(units[i + 1]) : 0;
    if (lead && next >= 0xDC00 && next <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = kReplacement;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}
