#include "entry/client_process_id.h"

#include <gtest/gtest.h>

namespace {

TEST(ParseClientProcessId, TakesLeadingDigitsOnly) {
  struct Case {
    const Utf16Char* text;
    uint32_t id;
  };
  const Case cases[] = {
      {U16("123"), 123},
      {U16("123abc"), 123},
      {U16("0042"), 42},
      {U16("4294967295"), 4294967295u},
      {U16(""), 0},
      {U16("abc"), 0},
      {U16(" 123"), 0},
      {U16("-5"), 0},
      // Too large for a process id: nothing is to be terminated.
      {U16("4294967296"), 0},
      {U16("99999999999999999999999"), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseClientProcessId(c.text), c.id) << testing::PrintToString(WString(c.text));
  }
}

TEST(IsClientExecutable, MatchesFileNameInAnyCase) {
  struct Case {
    const Utf16Char* path;
    bool client;
  };
  const Case cases[] = {
      {U16("C:\\Apps\\Bokrin\\Bokrin.exe"), true},
      {U16("C:\\Apps\\Bokrin\\BOKRIN.EXE"), true},
      {U16("C:/Apps/Bokrin/bokrin.exe"), true},
      {U16("Bokrin.exe"), true},
      {U16("C:\\Bokrin.exe\\Other.exe"), false},
      {U16("C:\\Apps\\NotBokrin.exe"), false},
      {U16("C:\\Apps\\Bokrin.exe.bak"), false},
      {U16("C:\\Apps\\Bokrin"), false},
      {U16(""), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsClientExecutable(c.path), c.client) << testing::PrintToString(WString(c.path));
  }
}

}  // namespace
