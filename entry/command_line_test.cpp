#include "entry/command_line.h"

#include <gtest/gtest.h>

#include <ostream>

#include "entry/testing/command_line_checks.h"

void PrintTo(const InstallerCommandLine& c, std::ostream* out) {
  *out << "{skip " << c.skip_instance_check << ", silent " << c.silent << ", launch " << c.launch << ", help "
       << c.help << ", D " << ::testing::PrintToString(c.install_dir) << ", BOOKDIR "
       << ::testing::PrintToString(c.book_dir) << ", LOG " << ::testing::PrintToString(c.log_file) << ", fault "
       << static_cast<int>(c.fault) << " " << ::testing::PrintToString(c.faulty_switch) << "}";
}

namespace {

// The expected result of a case, built up switch by switch.
class Parsed {
 public:
  Parsed& SkipInstanceCheck() { return Set(&InstallerCommandLine::skip_instance_check); }
  Parsed& Silent() { return Set(&InstallerCommandLine::silent); }
  Parsed& Launch() { return Set(&InstallerCommandLine::launch); }
  Parsed& Help() { return Set(&InstallerCommandLine::help); }
  Parsed& InstallDir(const Utf16Char* dir) { return Set(&InstallerCommandLine::install_dir, dir); }
  Parsed& BookDir(const Utf16Char* dir) { return Set(&InstallerCommandLine::book_dir, dir); }
  Parsed& LogFile(const Utf16Char* file) { return Set(&InstallerCommandLine::log_file, file); }
  Parsed& Refused(CommandLineFault fault, const Utf16Char* written) {
    line_.fault = fault;
    return Set(&InstallerCommandLine::faulty_switch, written);
  }
  const InstallerCommandLine& Get() const { return line_; }

 private:
  Parsed& Set(bool InstallerCommandLine::*flag) {
    line_.*flag = true;
    return *this;
  }
  Parsed& Set(WString InstallerCommandLine::*value, const Utf16Char* text) {
    line_.*value = text;
    return *this;
  }
  InstallerCommandLine line_;
};

struct Case {
  const char* what;
  WString line;
  InstallerCommandLine expected;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.what << ": " << ::testing::PrintToString(c.line); }

Case Accepts(const char* what, const Utf16Char* line, const Parsed& expected) { return {what, line, expected.Get()}; }

Case Refuses(const char* what, const Utf16Char* line, CommandLineFault fault, const Utf16Char* written) {
  return {what, line, Parsed().Refused(fault, written).Get()};
}

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, Parses) { EXPECT_EQ(GetParam().expected, ParseInstallerCommandLine(GetParam().line)); }

INSTANTIATE_TEST_SUITE_P(
    Blanks, CommandLineTest,
    ::testing::Values(Accepts("empty", U16(""), Parsed()), Accepts("blanks only", U16(" \t  "), Parsed()),
                      Accepts("blanks around", U16(" \t/S\t "), Parsed().Silent()),
                      Accepts("tab between", U16("/S\t/LAUNCH"), Parsed().Silent().Launch()),
                      Accepts("several blanks between", U16("/S  \t  /?"), Parsed().Silent().Help()),
                      // An ideographic space, as a Chinese input method types it, is no blank.
                      Refuses("ideographic space", U16("/S\u3000/LAUNCH"), CommandLineFault::kUnknownSwitch,
                              U16("/S\u3000/LAUNCH"))));

INSTANTIATE_TEST_SUITE_P(
    SkipInstanceCheck, CommandLineTest,
    ::testing::Values(Accepts("exactly 1", U16("1"), Parsed().SkipInstanceCheck()),
                      Refuses("leading blank", U16(" 1"), CommandLineFault::kNotASwitch, U16("1")),
                      Refuses("trailing blank", U16("1 "), CommandLineFault::kNotASwitch, U16("1")),
                      Refuses("with a switch", U16("1 /S"), CommandLineFault::kNotASwitch, U16("1")),
                      Refuses("after a switch", U16("/S 1"), CommandLineFault::kNotASwitch, U16("1")),
                      Refuses("quoted", U16("\"1\""), CommandLineFault::kNotASwitch, U16("\"1\"")),
                      Refuses("11", U16("11"), CommandLineFault::kNotASwitch, U16("11"))));

INSTANTIATE_TEST_SUITE_P(
    Flags, CommandLineTest,
    ::testing::Values(Accepts("silent", U16("/S"), Parsed().Silent()),
                      Accepts("silent lower case", U16("/s"), Parsed().Silent()),
                      Accepts("launch mixed case", U16("/LaUnCh"), Parsed().Launch()),
                      Accepts("question mark", U16("/?"), Parsed().Help()),
                      Accepts("help lower case", U16("/help"), Parsed().Help()),
                      Accepts("all", U16("/HELP /launch /S"), Parsed().Silent().Launch().Help()),
                      Accepts("quoted whole", U16("\"/S\""), Parsed().Silent())));

INSTANTIATE_TEST_SUITE_P(
    TokenValues, CommandLineTest,
    ::testing::Values(
        Accepts("book directory", U16("/BOOKDIR=D:\\Books"), Parsed().BookDir(U16("D:\\Books"))),
        Accepts("lower case name", U16("/bookdir=D:\\Books"), Parsed().BookDir(U16("D:\\Books"))),
        Accepts("quoted value", U16("/BOOKDIR=\"C:\\My Books\" /S"), Parsed().BookDir(U16("C:\\My Books")).Silent()),
        Accepts("quoted whole switch", U16("\"/BOOKDIR=C:\\My Books\" /S"),
                Parsed().BookDir(U16("C:\\My Books")).Silent()),
        Accepts("backslash before the closing quote", U16("/BOOKDIR=\"C:\\My Books\\\""),
                Parsed().BookDir(U16("C:\\My Books\\"))),
        Accepts("quote in the middle", U16("/BOOKDIR=C:\\My\" \"Books"), Parsed().BookDir(U16("C:\\My Books"))),
        Accepts("quoted blanks kept", U16("/BOOKDIR=\" D:\\x \""), Parsed().BookDir(U16(" D:\\x "))),
        Accepts("Chinese", U16("/BOOKDIR=D:\\我的书籍"), Parsed().BookDir(U16("D:\\我的书籍"))),
        Accepts("Hangul with a blank", U16("/BOOKDIR=\"D:\\내 책\""), Parsed().BookDir(U16("D:\\내 책"))),
        Accepts("log file", U16("/LOG=\"C:\\日志\\安装 记录.log\""), Parsed().LogFile(U16("C:\\日志\\安装 记录.log"))),
        Accepts("equals sign in the value", U16("/log=a=b"), Parsed().LogFile(U16("a=b"))),
        Accepts("everything", U16("/BOOKDIR=D:\\b /LOG=x.log /LAUNCH /S /? /D=E:\\한국 어"),
                Parsed().BookDir(U16("D:\\b")).LogFile(U16("x.log")).Launch().Silent().Help().InstallDir(
                    U16("E:\\한국 어")))));

INSTANTIATE_TEST_SUITE_P(
    InstallDir, CommandLineTest,
    ::testing::Values(
        Accepts("with a blank", U16("/D=C:\\Program Files\\Bokrin"), Parsed().InstallDir(U16("C:\\Program Files\\Bokrin"))),
        Accepts("lower case", U16("/d=D:\\x"), Parsed().InstallDir(U16("D:\\x"))),
        Accepts("blanks around cut", U16("/S /D=  C:\\a b \t "), Parsed().Silent().InstallDir(U16("C:\\a b"))),
        Accepts("swallows the rest", U16("/D=C:\\x /S /LAUNCH"), Parsed().InstallDir(U16("C:\\x /S /LAUNCH"))),
        Accepts("swallows a second one", U16("/D=a /D=b"), Parsed().InstallDir(U16("a /D=b"))),
        Accepts("swallows what would be faults", U16("/D=a /X \"b\""), Parsed().InstallDir(U16("a /X b"))),
        Accepts("quoted value", U16("/D=\"C:\\Program Files\\Bokrin\""), Parsed().InstallDir(U16("C:\\Program Files\\Bokrin"))),
        Accepts("quoted whole switch", U16("/S \"/D=C:\\Program Files\\Bokrin\""),
                Parsed().Silent().InstallDir(U16("C:\\Program Files\\Bokrin"))),
        Accepts("quoted blanks cut too", U16("/D=\" C:\\x \""), Parsed().InstallDir(U16("C:\\x"))),
        Accepts("Chinese", U16("/D=D:\\程序 文件\\博克林"), Parsed().InstallDir(U16("D:\\程序 文件\\博克林"))),
        Accepts("Hangul", U16("/D=D:\\프로그램 파일"), Parsed().InstallDir(U16("D:\\프로그램 파일"))),
        // A character outside the basic plane arrives as its two units.
        Accepts("surrogate pair", U16("/D=D:\\\U0001F4DA"), Parsed().InstallDir(U16("D:\\\U0001F4DA")))));

INSTANTIATE_TEST_SUITE_P(
    Faults, CommandLineTest,
    ::testing::Values(
        Refuses("bare word", U16("install"), CommandLineFault::kNotASwitch, U16("install")),
        Refuses("bare word after switches", U16("/S foo /X"), CommandLineFault::kNotASwitch, U16("foo")),
        Refuses("dash", U16("-S"), CommandLineFault::kNotASwitch, U16("-S")),
        Refuses("empty quotes", U16("/S \"\""), CommandLineFault::kNotASwitch, U16("\"\"")),
        Refuses("unknown", U16("/X"), CommandLineFault::kUnknownSwitch, U16("/X")),
        Refuses("first unknown named", U16("/S /Quiet /Y"), CommandLineFault::kUnknownSwitch, U16("/Quiet")),
        Refuses("slash alone", U16("/"), CommandLineFault::kUnknownSwitch, U16("/")),
        Refuses("longer name", U16("/SILENT"), CommandLineFault::kUnknownSwitch, U16("/SILENT")),
        Refuses("value to a flag", U16("/S=1"), CommandLineFault::kUnknownSwitch, U16("/S=1")),
        Refuses("unknown with quotes as written", U16("\"/My Switch\""), CommandLineFault::kUnknownSwitch,
                U16("\"/My Switch\"")),
        Refuses("earlier switches dropped", U16("/S /BOOKDIR=a /X"), CommandLineFault::kUnknownSwitch, U16("/X"))));

INSTANTIATE_TEST_SUITE_P(
    MissingValues, CommandLineTest,
    ::testing::Values(
        Refuses("book directory without =", U16("/BOOKDIR"), CommandLineFault::kMissingValue, U16("/BOOKDIR")),
        Refuses("book directory empty", U16("/BOOKDIR= /S"), CommandLineFault::kMissingValue, U16("/BOOKDIR=")),
        Refuses("book directory empty quotes", U16("/BOOKDIR=\"\""), CommandLineFault::kMissingValue,
                U16("/BOOKDIR=\"\"")),
        Refuses("log empty", U16("/log="), CommandLineFault::kMissingValue, U16("/log=")),
        Refuses("install directory without =", U16("/D /S"), CommandLineFault::kMissingValue, U16("/D")),
        Refuses("install directory empty", U16("/S /D="), CommandLineFault::kMissingValue, U16("/D=")),
        Refuses("install directory of blanks", U16("/D=  \t "), CommandLineFault::kMissingValue, U16("/D=")),
        Refuses("install directory of quotes", U16("/D=\"\" "), CommandLineFault::kMissingValue, U16("/D=\"\""))));

INSTANTIATE_TEST_SUITE_P(
    UnterminatedQuotes, CommandLineTest,
    ::testing::Values(
        Refuses("book directory", U16("/BOOKDIR=\"C:\\My Books"), CommandLineFault::kUnterminatedQuote,
                U16("/BOOKDIR=\"C:\\My Books")),
        Refuses("runs to the end", U16("/BOOKDIR=\"C:\\a  /S  "), CommandLineFault::kUnterminatedQuote,
                U16("/BOOKDIR=\"C:\\a  /S")),
        Refuses("flag", U16("\"/S"), CommandLineFault::kUnterminatedQuote, U16("\"/S")),
        Refuses("install directory", U16("/D=\"C:\\a b"), CommandLineFault::kUnterminatedQuote, U16("/D=\"C:\\a b")),
        Refuses("install directory, third quote", U16("\"/D=C:\\a\" b\" "), CommandLineFault::kUnterminatedQuote,
                U16("\"/D=C:\\a\" b\""))));

INSTANTIATE_TEST_SUITE_P(
    Repeats, CommandLineTest,
    ::testing::Values(
        Refuses("flag", U16("/S /s"), CommandLineFault::kRepeatedSwitch, U16("/s")),
        Refuses("the two names of help", U16("/? /HELP"), CommandLineFault::kRepeatedSwitch, U16("/HELP")),
        Refuses("other book directory", U16("/BOOKDIR=a /bookdir=b"), CommandLineFault::kRepeatedSwitch,
                U16("/bookdir=b")),
        Refuses("same log file", U16("/LOG=a /LOG=a"), CommandLineFault::kRepeatedSwitch, U16("/LOG=a")),
        Refuses("after an unknown one", U16("/X /S /S"), CommandLineFault::kUnknownSwitch, U16("/X")),
        Refuses("before an unknown one", U16("/S /S /X"), CommandLineFault::kRepeatedSwitch, U16("/S"))));

// A faulty unattended run is still unattended, so that it shows no usage box.
TEST(CommandLineSilenceTest, TellsWhetherSilenceWasAskedFor) {
  const struct {
    const Utf16Char* line;
    bool silent;
  } cases[] = {
      {U16("/S"), true},
      {U16("/s /LAUNCH"), true},
      {U16("/X /S"), true},                  // refused at /X, still silent
      {U16("/S /S"), true},                  // refused as repeated
      {U16("/BOOKDIR=\"C:\\a /S"), false},  // the /S is inside an open quote
      {U16("\"/S\""), true},
      {U16("/D=C:\\x /S"), false},          // part of the install directory
      {U16("/SILENT"), false},
      {U16("/S=1"), false},
      {U16("1"), false},
      {U16(""), false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.silent, AsksForSilence(c.line)) << ::testing::PrintToString(WString(c.line));
}

TEST(ProgramNameTest, ArgumentsStartAfterTheNameAndItsBlanks) {
  const struct {
    const Utf16Char* whole;
    const Utf16Char* arguments;
  } cases[] = {
      {U16("BokrinSetup.exe"), U16("")},
      {U16("BokrinSetup.exe 1"), U16("1")},
      {U16("BokrinSetup.exe  \t/S /D=C:\\a b"), U16("/S /D=C:\\a b")},
      {U16("\"C:\\Users\\내 이름\\BokrinSetup.exe\" /S"), U16("/S")},
      {U16("\"C:\\a b\\setup.exe\"/S"), U16("")},       // glued to the name: part of it
      {U16("C:\\a\"b c\"d.exe /LAUNCH"), U16("/LAUNCH")},  // quotes inside the name group too
      {U16("\"C:\\unclosed name /S"), U16("")},
      {U16("setup.exe 1 "), U16("1 ")},                   // the trailing blank stays: not "1"
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WString(c.arguments), ArgumentsAfterProgramName(c.whole)) << ::testing::PrintToString(WString(c.whole));
  }
}

// What a script writes, upper or lower case, is read back as what it meant.
TEST(CommandLineFormatTest, FormattedLinesParseBack) {
  const InstallerCommandLine meant =
      Parsed().Silent().Launch().BookDir(U16("D:\\내 책")).LogFile(U16("C:\\安装 日志.log")).InstallDir(U16("E:\\a b")).Get();
  for (const bool upper_case : {true, false}) {
    EXPECT_EQ(meant, ParseInstallerCommandLine(FormatCommandLine(meant, upper_case))) << upper_case;
  }
}

}  // namespace
