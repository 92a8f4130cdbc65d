#include "common/text_convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
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

const struct Utf16Case {
  const char* name;
  std::vector<uint16_t> units;
  std::string utf8;
} kUtf16Cases[] = {
    {"empty", {}, ""},
    {"ascii", {'a', '/', 'B'}, "a/B"},
    {"zero unit kept", {'a', 0, 'b'}, std::string("a\0b", 3)},
    {"two bytes", {0xE9}, "\xC3\xA9"},
    {"largest two bytes", {0x7FF}, "\xDF\xBF"},
    {"smallest three bytes", {0x800}, "\xE0\xA0\x80"},
    {"chinese", {0x4E2D, 0x6587}, "\xE4\xB8\xAD\xE6\x96\x87"},
    {"largest three bytes", {0xFFFF}, "\xEF\xBF\xBF"},
    {"pair", {0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
    {"last code point", {0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},
    {"lead at the end", {'a', 0xD83D}, "a\xEF\xBF\xBD"},
    {"lead before a non-trail", {0xD83D, 'z'}, "\xEF\xBF\xBDz"},
    {"trail alone", {0xDE00, 'z'}, "\xEF\xBF\xBDz"},
    {"two leads then trail", {0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
};

TEST(Utf16ToUtf8Test, Encodes) {
  for (const Utf16Case& c : kUtf16Cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Utf16Char> units(c.units.begin(), c.units.end());
    EXPECT_EQ(Utf16ToUtf8(units.data(), units.size()), c.utf8);
  }
}

}  // namespace
