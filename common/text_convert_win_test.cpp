#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/text_convert.h"

namespace {

// GBK bytes and UTF-8 bytes of the same texts.
const char kGbkChinese[] = "\xD6\xD0\xCE\xC4";                    // 中文
const char kUtf8Chinese[] = "\xE4\xB8\xAD\xE6\x96\x87";           // 中文
const char kGbkDone[] = "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9";       // 安装完成
const char kUtf8Done[] = "\xE5\xAE\x89\xE8\xA3\x85\xE5\xAE\x8C\xE6\x88\x90";

// The conversions follow the process's ANSI code page; these tests expect the Chinese one.
class TextConvertWinTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 936u); }
};

TEST_F(TextConvertWinTest, String16ToAnsiAndBack) {
  const struct {
    const wchar_t* wide;
    const char* ansi;
  } cases[] = {
      {L"中文", kGbkChinese},
      {L"C:\\Program Files\\Bokrin阅读\\", "C:\\Program Files\\Bokrin\xD4\xC4\xB6\xC1\\"},
      {L"a=1&b", "a=1&b"},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(String16ToAnsi(String16(c.wide)).CStr(), c.ansi);
    EXPECT_EQ(std::wstring(AnsiToString16(String8(c.ansi)).CStr()), c.wide);
  }
}

TEST_F(TextConvertWinTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_STREQ(String16ToAnsi(String16(L"a\u0E01b")).CStr(), "a?b");
}

TEST_F(TextConvertWinTest, EmptyInputGivesEmptyOutput) {
  EXPECT_TRUE(String16ToAnsi(String16()).IsEmpty());
  EXPECT_TRUE(AnsiToString16(String8()).IsEmpty());
  std::string output = "stale";
  EXPECT_TRUE(WideToAnsi(std::wstring(), output));
  EXPECT_EQ(output, "");
  EXPECT_EQ(GbkToUtf8(""), "");
  EXPECT_EQ(GbkToUtf8(nullptr), "");
}

// Windows refuses a call into UTF-8 that carries these flags or a default character (Wine lets
// it pass, so the parameters are checked as well as the text they give).
TEST(AnsiConversionTest, ParametersSuitTheAnsiCodePage) {
  const DWORD kMarkFlags = WC_COMPOSITECHECK | WC_SEPCHARS | WC_DISCARDNS | WC_DEFAULTCHAR;
  const struct {
    unsigned code_page;
    DWORD flags;
    const char* default_char;
    const char* expected;
  } cases[] = {
      {936, kMarkFlags, "?", kGbkChinese},
      {1252, kMarkFlags, "?", "??"},
      {CP_UTF8, 0, nullptr, kUtf8Chinese},
  };
  const std::wstring text = L"中文";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code_page);
    const AnsiConversion conversion = AnsiConversionFor(c.code_page);
    EXPECT_EQ(conversion.flags, c.flags);
    if (c.default_char == nullptr) {
      EXPECT_EQ(conversion.default_char, nullptr);
    } else {
      EXPECT_STREQ(conversion.default_char, c.default_char);
    }
    BOOL used_default = FALSE;
    char output[16] = {};
    const int size = WideCharToMultiByte(
        c.code_page, conversion.flags, text.data(), static_cast<int>(text.size()), output,
        sizeof(output) - 1, conversion.default_char,
        conversion.default_char != nullptr ? &used_default : nullptr);
    EXPECT_EQ(size, static_cast<int>(std::strlen(c.expected)));
    EXPECT_STREQ(output, c.expected);
  }
}

TEST_F(TextConvertWinTest, WideToAnsi) {
  std::string output;
  EXPECT_TRUE(WideToAnsi(L"中文 1.13.5", output));
  EXPECT_EQ(output, std::string(kGbkChinese) + " 1.13.5");
}

TEST_F(TextConvertWinTest, GbkToUtf8) {
  EXPECT_EQ(GbkToUtf8(kGbkChinese), kUtf8Chinese);
  EXPECT_EQ(GbkToUtf8(kGbkDone), kUtf8Done);
  EXPECT_EQ(GbkToUtf8("ok 1"), "ok 1");
}

struct CodePageCase {
  unsigned code_page;
  const wchar_t* wide;
  const char* narrow;
};

class CodePageConversionTest : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageConversionTest, ConvertsBothWays) {
  EXPECT_EQ(WideToCodePage(GetParam().code_page, GetParam().wide), GetParam().narrow);
  EXPECT_EQ(CodePageToWide(GetParam().code_page, GetParam().narrow), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CodePageConversionTest,
    testing::Values(CodePageCase{936, L"\u5B89\u88C5\u5B8C\u6210", "\xB0\xB2\xD7\xB0\xCD\xEA\xB3\xC9"},
                    CodePageCase{CP_UTF8, L"\u4E2D\u6587 C:\\", "\xE4\xB8\xAD\xE6\x96\x87 C:\\"},
                    CodePageCase{936, L"", ""}, CodePageCase{CP_UTF8, L"", ""}));

}  // namespace
