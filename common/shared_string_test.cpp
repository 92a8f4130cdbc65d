#include "common/shared_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Builds a string of either width from ASCII text, so that one table serves both.
template <class Char>
SharedString<Char> Make(const char* ascii) {
  std::basic_string<Char> text(ascii, ascii + std::char_traits<char>::length(ascii));
  return SharedString<Char>(text.c_str());
}

template <class Char>
std::string Ascii(const SharedString<Char>& text) {
  return std::string(text.CStr(), text.CStr() + text.Length());
}

template <class Char>
class SharedStringTest : public testing::Test {};
using Widths = testing::Types<char, Utf16Char>;
TYPED_TEST_SUITE(SharedStringTest, Widths);

TYPED_TEST(SharedStringTest, EveryEmptyTextSharesOneRepresentation) {
  using S = SharedString<TypeParam>;
  const S empty;
  const TypeParam nothing[1] = {0};
  const TypeParam* null_text = nullptr;
  S from_null(null_text);
  S from_empty(nothing);
  S assigned = Make<TypeParam>("x");
  assigned = nothing;
  S assigned_null = Make<TypeParam>("y");
  assigned_null = nullptr;
  S truncated = Make<TypeParam>("z");
  truncated.Truncate(0);
  S erased = Make<TypeParam>("abc");
  erased.Erase(0, 3);
  S erased_beyond = Make<TypeParam>("abc");
  erased_beyond.Erase(0, 99);
  S joined = S() + S();
  for (const S* text : {&from_null, &from_empty, &assigned, &assigned_null, &truncated, &erased,
                        &erased_beyond, &joined}) {
    EXPECT_TRUE(text->SharesWith(empty));
    EXPECT_TRUE(text->IsEmpty());
    EXPECT_EQ(text->CStr()[0], 0);
  }
}

TYPED_TEST(SharedStringTest, WritingToEmptyNeverTouchesTheSharedBuffer) {
  using S = SharedString<TypeParam>;
  S text;
  text.Writable()[0] = 0;
  text.Append(Make<TypeParam>("a"));
  EXPECT_EQ(Ascii(text), "a");
  EXPECT_TRUE(S().IsEmpty());
  EXPECT_EQ(S().CStr()[0], 0);
}

// Every change made to a copy leaves the original and its buffer untouched.
TYPED_TEST(SharedStringTest, ChangingACopyLeavesTheOriginalAlone) {
  using S = SharedString<TypeParam>;
  const TypeParam xyz[] = {'x', 'y', 'z', 0};
  const struct {
    const char* name;
    std::function<void(S&)> change;
    const char* expected;
  } cases[] = {
      {"append text", [](S& s) { s.Append(Make<TypeParam>("d")); }, "abcd"},
      {"append raw", [&xyz](S& s) { s.Append(xyz); }, "abcxyz"},
      {"append chars", [](S& s) { s.Append(2, TypeParam('!')); }, "abc!!"},
      {"insert", [](S& s) { s.Insert(1, 1, TypeParam('-')); }, "a-bc"},
      {"erase", [](S& s) { s.Erase(0, 1); }, "bc"},
      {"erase through the end", [](S& s) { s.Erase(1, 99); }, "a"},
      {"truncate", [](S& s) { s.Truncate(2); }, "ab"},
      {"writable", [](S& s) { s.Writable()[0] = TypeParam('A'); }, "Abc"},
      {"reserve", [](S& s) { s.Reserve(100); }, "abc"},
      {"reserve less than the length", [](S& s) { s.Reserve(1); }, "abc"},
      {"assign text", [&xyz](S& s) { s = xyz; }, "xyz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const S original = Make<TypeParam>("abc");
    const TypeParam* buffer = original.CStr();
    S copy = original;
    EXPECT_TRUE(copy.SharesWith(original));
    c.change(copy);
    EXPECT_FALSE(copy.SharesWith(original));
    EXPECT_EQ(Ascii(copy), c.expected);
    EXPECT_EQ(Ascii(original), "abc");
    EXPECT_EQ(original.CStr(), buffer);
  }
}

TYPED_TEST(SharedStringTest, APrivateTextIsChangedInPlace) {
  using S = SharedString<TypeParam>;
  S text = Make<TypeParam>("abc");
  text.Reserve(8);
  const TypeParam* buffer = text.CStr();
  text.Append(Make<TypeParam>("defgh"));
  EXPECT_EQ(text.Writable(), buffer);
  EXPECT_EQ(Ascii(text), "abcdefgh");
}

TYPED_TEST(SharedStringTest, InsertAndEraseAtTheEdges) {
  using S = SharedString<TypeParam>;
  const struct {
    const char* start;
    bool insert;
    size_t position;
    size_t count;
    const char* expected;
  } cases[] = {
      {"abc", true, 0, 2, "xxabc"},   {"abc", true, 3, 1, "abcx"},  {"abc", true, 99, 1, "abcx"},
      {"", true, 5, 1, "x"},          {"abc", true, 1, 0, "abc"},   {"abc", false, 0, 1, "bc"},
      {"abc", false, 2, 1, "ab"},     {"abc", false, 1, 99, "a"},   {"abc", false, 3, 1, "abc"},
      {"abc", false, 0, 3, ""},       {"abcde", false, 1, 2, "ade"}, {"", false, 0, 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.start) + (c.insert ? " insert at " : " erase at ") +
                 std::to_string(c.position));
    S text = Make<TypeParam>(c.start);
    if (c.insert) {
      text.Insert(c.position, c.count, TypeParam('x'));
    } else {
      text.Erase(c.position, c.count);
    }
    EXPECT_EQ(Ascii(text), c.expected);
    EXPECT_EQ(text.CStr()[text.Length()], 0);
  }
}

// Appending or assigning a piece of the string's own text, while the buffer may move.
TYPED_TEST(SharedStringTest, OwnTextAsSource) {
  using S = SharedString<TypeParam>;
  S text = Make<TypeParam>("abc");
  text.Append(text);
  EXPECT_EQ(Ascii(text), "abcabc");
  text.Append(text.CStr() + 4);
  EXPECT_EQ(Ascii(text), "abcabcbc");
  const S copy = text;
  text.Append(copy.CStr() + 6);
  EXPECT_EQ(Ascii(text), "abcabcbcbc");
  EXPECT_EQ(Ascii(copy), "abcabcbc");
  text = text.CStr() + 7;
  EXPECT_EQ(Ascii(text), "cbc");
}

TYPED_TEST(SharedStringTest, ConcatenationMakesANewString) {
  using S = SharedString<TypeParam>;
  const S left = Make<TypeParam>("ab");
  const S right = Make<TypeParam>("cd");
  EXPECT_EQ(Ascii(left + right), "abcd");
  EXPECT_EQ(Ascii(S() + right), "cd");
  EXPECT_EQ(Ascii(left + S()), "ab");
  EXPECT_TRUE((S() + S()).IsEmpty());
  EXPECT_EQ(Ascii(left), "ab");
  EXPECT_EQ(Ascii(right), "cd");
}

TYPED_TEST(SharedStringTest, SameLiteralGivesOneRepresentation) {
  using S = SharedString<TypeParam>;
  static const TypeParam kFirst[] = {'o', 'n', 'e', 0};
  static const TypeParam kSecond[] = {'o', 'n', 'e', 0};
  const S first = S::FromLiteral(kFirst);
  EXPECT_TRUE(S::FromLiteral(kFirst).SharesWith(first));
  EXPECT_FALSE(S::FromLiteral(kSecond).SharesWith(first));
  EXPECT_EQ(Ascii(S::FromLiteral(kSecond)), "one");
  S changed = S::FromLiteral(kFirst);
  changed.Append(1, TypeParam('!'));
  EXPECT_EQ(Ascii(S::FromLiteral(kFirst)), "one");
}

// Copies made and released on two threads at once leave the count exact: too low would free
// the text under the original (which the sanitizer build reports), too high would make the
// original copy its text when written to.
TYPED_TEST(SharedStringTest, CopiesOnTwoThreadsKeepTheCountExact) {
  using S = SharedString<TypeParam>;
  S text = Make<TypeParam>("shared between threads");
  const TypeParam* buffer = text.CStr();
  const auto copy_and_release = [&text] {
    for (int i = 0; i < 200000; ++i) {
      S copy(text);
      S other;
      other = copy;
    }
  };
  std::thread first(copy_and_release);
  std::thread second(copy_and_release);
  first.join();
  second.join();
  EXPECT_EQ(text.Writable(), buffer);
  EXPECT_EQ(Ascii(text), "shared between threads");
}

TEST(String8CompareTest, BytesCompareAsSignedValues) {
  const struct {
    const char* left;
    const char* right;
    int expected;
  } cases[] = {
      {"\xC3\xA9", "A", -1}, {"A", "\xC3\xA9", 1}, {"\x80", "\x7F", -1}, {"abc", "abc", 0},
      {"ab", "abc", -1},     {"abc", "ab", 1},     {"", "", 0},          {"", nullptr, 0},
      {"a", nullptr, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " vs " + (c.right ? c.right : "null"));
    EXPECT_EQ(String8(c.left).Compare(c.right), c.expected);
  }
}

TEST(String16CompareTest, UnitsCompareAsUnsignedValues) {
  EXPECT_EQ(String16(U16("\u00C3")).Compare(U16("A")), 1);
  EXPECT_EQ(String16(U16("\uFFFF")).Compare(U16("a")), 1);
  EXPECT_EQ(String16(U16("A")).Compare(U16("\u4E2D")), -1);
  EXPECT_EQ(String16(U16("\u4E2D")).Compare(U16("\u4E2D")), 0);
  EXPECT_TRUE(String16(U16("ab")) == U16("ab"));
  EXPECT_TRUE(String16(U16("ab")) != U16("abc"));
}

TEST(String8EndsWithTest, Table) {
  const struct {
    const char* text;
    const char* suffix;
    bool expected;
  } cases[] = {
      {"a=1&", "&", true},  {"", "", true},      {"x", "xy", false},   {"abc", nullptr, true},
      {"abc", "", true},    {"abc", "abc", true}, {"abc", "bc", true}, {"abc", "ab", false},
      {"", "a", false},     {"a\xC3", "\xC3", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + (c.suffix ? c.suffix : "null"));
    EXPECT_EQ(String8EndsWith(String8(c.text), c.suffix), c.expected);
  }
}

TEST(DecimalTextTest, IntToString8) {
  const struct {
    int32_t value;
    const char* expected;
  } cases[] = {
      {-12, "-12"}, {0, "0"}, {7, "7"}, {10, "10"}, {-1, "-1"},
      {INT32_MIN, "-2147483648"}, {INT32_MAX, "2147483647"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(IntToString8(c.value).CStr(), c.expected);
    EXPECT_EQ(IntToString8(c.value).Length(), std::char_traits<char>::length(c.expected));
  }
}

TEST(DecimalTextTest, Int64ToString16) {
  const struct {
    int64_t value;
    const char* expected;
  } cases[] = {
      {-12, "-12"}, {0, "0"}, {4294967296LL, "4294967296"},
      {INT64_MIN, "-9223372036854775808"}, {INT64_MAX, "9223372036854775807"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Ascii(Int64ToString16(c.value)), c.expected);
  }
  EXPECT_EQ(Ascii(Int64ToString16(int32_t{-5})), "-5");
  EXPECT_EQ(Ascii(Int64ToString16(int32_t{INT32_MIN})), "-2147483648");
}

TEST(DecimalTextTest, ZeroIsTheCachedConstant) {
  EXPECT_TRUE(IntToString8(0).SharesWith(IntToString8(0)));
  EXPECT_TRUE(Int64ToString16(int64_t{0}).SharesWith(Int64ToString16(int64_t{0})));
  EXPECT_TRUE(Int64ToString16(int32_t{0}).SharesWith(Int64ToString16(int64_t{0})));
  String8 changed = IntToString8(0);
  changed.Append("1");
  EXPECT_STREQ(IntToString8(0).CStr(), "0");
}

}  // namespace
