#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

std::vector<uint16_t> Units(const String16& text) {
  return std::vector<uint16_t>(text.CStr(), text.CStr() + text.Length());
}

// An exact-size heap copy, so that the sanitizer build catches any read past the terminator.
std::unique_ptr<char[]> HeapCopy(const char* text) {
  const size_t size = std::strlen(text) + 1;
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), text, size);
  return copy;
}

const struct Utf8Case {
  const char* name;
  const char* utf8;
  size_t characters;
  std::vector<uint16_t> units;
} kUtf8Cases[] = {
    {"empty", "", 0, {}},
    {"ascii", "a=1", 3, {'a', '=', '1'}},
    {"two bytes", "\xC3\xA9", 1, {0xE9}},
    {"three bytes", "\xE4\xB8\xAD", 1, {0x4E2D}},
    {"largest three bytes", "\xEF\xBF\xBF", 1, {0xFFFF}},
    {"chinese and ascii", "\xE4\xB8\xAD\xE6\x96\x87 v1", 5, {0x4E2D, 0x6587, ' ', 'v', '1'}},
    {"cut in three bytes", "a\xE4\xB8", 1, {'a'}},
    {"cut in two bytes", "\xC3", 0, {}},
    {"cut in four bytes", "\xF0\x9F\x98", 0, {}},
    {"four bytes", "\xF0\x9F\x98\x80", 1, {0xD83D, 0xDE00}},
    {"four bytes inside text", "a\xF0\x9F\x98\x80z", 3, {'a', 0xD83D, 0xDE00, 'z'}},
    {"first above FFFF", "\xF0\x90\x80\x80", 1, {0xD800, 0xDC00}},
    {"last code point", "\xF4\x8F\xBF\xBF", 1, {0xDBFF, 0xDFFF}},
    {"beyond 10FFFF", "\xF4\x90\x80\x80", 1, {0xFFFD}},
    {"five bytes", "\xF8\x88\x80\x80\x80", 1, {0xFFFD}},
    {"six bytes", "\xFC\x84\x80\x80\x80\x80", 1, {0xFFFD}},
    {"stray continuation takes six bytes", "\x80" "abcdeZ", 2, {0xFFFD, 'Z'}},
    {"stray continuation cut", "\x80" "ab", 0, {}},
};

TEST(Utf8Test, CountsAndDecodes) {
  for (const Utf8Case& c : kUtf8Cases) {
    SCOPED_TRACE(c.name);
    const auto text = HeapCopy(c.utf8);
    EXPECT_EQ(Utf8CharCount(text.get()), c.characters);
    EXPECT_EQ(Units(Utf8ToString16(text.get())), c.units);
    EXPECT_EQ(Units(Utf8ToString16(String8(text.get()))), c.units);
  }
}

TEST(Utf8Test, NothingToDecodeGivesTheSharedEmptyString) {
  EXPECT_EQ(Utf8CharCount(nullptr), 0u);
  for (const char* text : {static_cast<const char*>(nullptr), "", "\xE4\xB8"}) {
    const String16 result = Utf8ToString16(text);
    EXPECT_TRUE(result.SharesWith(String16()));
  }
  EXPECT_TRUE(Utf8ToString16(String8()).SharesWith(String16()));
}

}  // namespace
