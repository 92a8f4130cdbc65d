#include "entry/usage_text.h"

#include <gtest/gtest.h>

namespace {

// The box names the wrong switch as it was written, in the first line, above the usage.
TEST(UsageTextTest, FaultIsNamedFirstAsWritten) {
  const WString usage = UsageText(CommandLineFault::kNone, WString());
  const struct {
    CommandLineFault fault;
    const Utf16Char* written;
    const Utf16Char* first_line;
  } cases[] = {
      {CommandLineFault::kUnknownSwitch, U16("/Quiet"), U16("无法识别的参数：/Quiet")},
      {CommandLineFault::kNotASwitch, U16("install"), U16("不是参数（参数以“/”开头）：install")},
      {CommandLineFault::kMissingValue, U16("/D="), U16("参数缺少值：/D=")},
      {CommandLineFault::kUnterminatedQuote, U16("/BOOKDIR=\"D:\\내 책"), U16("引号未闭合：/BOOKDIR=\"D:\\내 책")},
      {CommandLineFault::kRepeatedSwitch, U16("/s"), U16("参数重复：/s")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WString(c.first_line) + U16("\r\n\r\n") + usage, UsageText(c.fault, c.written))
        << static_cast<int>(c.fault);
  }
}

// Every switch and every exit code that the installer knows is in the box, each code on a line
// of its own.
TEST(UsageTextTest, ListsEverySwitchAndEveryExitCode) {
  const WString usage = UsageText(CommandLineFault::kNone, WString());
  for (const Utf16Char* name : {U16("/S\t"), U16("/D=<"), U16("/BOOKDIR=<"), U16("/LAUNCH\t"), U16("/LOG=<"),
                                U16("/? 或 /HELP")}) {
    EXPECT_NE(usage.find(name), WString::npos) << ::testing::PrintToString(WString(name));
  }
  for (int code = 0; code <= 9; ++code) {
    const WString line = U16("\r\n") + WString(1, static_cast<Utf16Char>(U16('0') + code)) + U16("\t");
    EXPECT_NE(usage.find(line), WString::npos) << code;
  }
}

}  // namespace
