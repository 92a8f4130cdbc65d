#include "common/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const String8List& list) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < list.Count(); ++i) {
    texts.emplace_back(list[i].CStr());
  }
  return texts;
}

TEST(String8ListTest, AppendSharesAndReturnsTheIndex) {
  String8List list;
  const String8 first("a=1");
  const String8 second("b=2");
  EXPECT_EQ(list.Append(first), 0u);
  EXPECT_EQ(list.Append(second), 1u);
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_TRUE(list[0].SharesWith(first));
  EXPECT_TRUE(list[1].SharesWith(second));
}

// Bytes order as signed values: non-ASCII text sorts before ASCII text.
TEST(String8ListTest, SortsBySignedBytes) {
  String8List list;
  for (const char* text : {"b", "a=1", "\xC3\xA9", "a", "A", "a&"}) {
    list.Append(String8(text));
  }
  list.Sort();
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"\xC3\xA9", "A", "a", "a&", "a=1", "b"}));
}

// A released entry gives its reference back: the original is private again and is written
// without a copy.
TEST(String8ListTest, ClearReleasesEntriesAndTheListIsUsableAgain) {
  String8 text("kept");
  const char* buffer = text.CStr();
  String8List list;
  list.Append(text);
  list.Append(text);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(text.Writable(), buffer);
  EXPECT_EQ(list.Append(String8("again")), 0u);
  EXPECT_STREQ(list[0].CStr(), "again");
}

TEST(String8ListTest, DestructionReleasesEntries) {
  String8 text("kept");
  const char* buffer = text.CStr();
  {
    String8List list;
    list.Append(text);
  }
  EXPECT_EQ(text.Writable(), buffer);
}

// Growing moves the entries; each must still hold its own text, in order.
TEST(String8ListTest, KeepsEntriesAcrossGrowth) {
  String8List list;
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(list.Append(IntToString8(i + 1)), static_cast<size_t>(i));
  }
  ASSERT_EQ(list.Count(), 200u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(std::string(list[i].CStr()), std::to_string(i + 1));
  }
}

// An entry of the list appended again while the array grows: the entry is read before the
// array moves.
TEST(String8ListTest, AppendsItsOwnEntryWhileGrowing) {
  String8List list;
  list.Append(String8("first"));
  while (list.Count() < 65) {
    list.Append(String8("x"));
  }
  EXPECT_EQ(list.Append(list[0]), 65u);
  EXPECT_STREQ(list[65].CStr(), "first");
  EXPECT_TRUE(list[65].SharesWith(list[0]));
}

}  // namespace
