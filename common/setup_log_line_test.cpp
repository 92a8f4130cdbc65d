#include "common/setup_log_line.h"

#include <gtest/gtest.h>

namespace {

constexpr LogTime kTime{2026, 1, 2, 3, 4, 5, 6};

std::string Line(const WString& text) { return FormatSetupLogLine(kTime, text.data(), text.size()); }

TEST(FormatSetupLogLine, StampsTextAndEndsLine) {
  struct Case {
    WString text;
    std::string line;
  };
  const Case cases[] = {
      {U16("Download started"), "2026-01-02 03:04:05.006 Download started\r\n"},
      {U16(""), "2026-01-02 03:04:05.006 \r\n"},
      {U16("安装完成"), "2026-01-02 03:04:05.006 \xE5\xAE\x89\xE8\xA3\x85\xE5\xAE\x8C\xE6\x88\x90\r\n"},
      // A server's message must not start a line of its own.
      {U16("bad\r\nreply\tend"), "2026-01-02 03:04:05.006 bad  reply end\r\n"},
      {WString(U16("a\0b"), 3), "2026-01-02 03:04:05.006 a b\r\n"},
      // A lone surrogate from a broken name is still a readable line.
      {WString(1, Utf16Char(0xD800)), "2026-01-02 03:04:05.006 \xEF\xBF\xBD\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(Line(c.text), c.line);
}

TEST(FormatSetupLogLine, PadsEveryTimeField) {
  const Utf16Char text[] = U16("x");
  EXPECT_EQ(FormatSetupLogLine(LogTime{999, 12, 31, 23, 59, 59, 999}, text, 1),
            "0999-12-31 23:59:59.999 x\r\n");
}

TEST(FormatSetupLogLine, CutsLongTextOutsideSurrogatePairs) {
  const WString emoji = U16("\U0001F600");
  const std::string emoji_utf8 = "\xF0\x9F\x98\x80";
  const std::string stamp = "2026-01-02 03:04:05.006 ";
  struct Case {
    WString text;
    std::string kept;
  };
  const Case cases[] = {
      {WString(kMaxLogTextUnits, U16('a')), std::string(kMaxLogTextUnits, 'a')},
      {WString(kMaxLogTextUnits + 5, U16('a')), std::string(kMaxLogTextUnits, 'a')},
      // The pair would straddle the limit: it goes whole.
      {WString(kMaxLogTextUnits - 1, U16('a')) + emoji, std::string(kMaxLogTextUnits - 1, 'a')},
      {WString(kMaxLogTextUnits - 2, U16('a')) + emoji + U16("b"),
       std::string(kMaxLogTextUnits - 2, 'a') + emoji_utf8},
  };
  for (const Case& c : cases) EXPECT_EQ(Line(c.text), stamp + c.kept + "\r\n") << c.text.size();
}

}  // namespace
