#include "common/system_failure_text.h"

#include <gtest/gtest.h>

namespace {

WString OneLine(const WString& text) { return OneLineSystemMessage(text.data(), text.size()); }

TEST(OneLineSystemMessage, DropsTheEndingBreakAndJoinsInnerLines) {
  struct Case {
    WString text;
    WString line;
  };
  const Case cases[] = {
      {U16("Access is denied.\r\n"), U16("Access is denied.")},
      {U16("Access is denied."), U16("Access is denied.")},
      // Some texts end in a blank before the break, some in several breaks.
      {U16("The handle is invalid. \r\n\r\n"), U16("The handle is invalid.")},
      {U16("First line.\r\nSecond line.\r\n"), U16("First line. Second line.")},
      {U16("Ends with a blank \r\nthen more\n"), U16("Ends with a blank then more")},
      {U16("\r\nLeading break"), U16("Leading break")},
      {U16("拒绝访问。\r\n"), U16("拒绝访问。")},
      {U16("\r\n"), U16("")},
      {U16(""), U16("")},
  };
  for (const Case& c : cases) EXPECT_TRUE(OneLine(c.text) == c.line) << c.text.size();
}

TEST(SystemCodeText, EachKindReadsAsItsOwnNumbering) {
  struct Case {
    SystemCode code;
    WString system_text;
    WString expected;
  };
  const Case cases[] = {
      {SystemCode::Win32Error(5), U16("Access is denied."), U16("error 5 (Access is denied.)")},
      {SystemCode::RegistryStatus(2), U16("The system cannot find the file specified."),
       U16("error 2 (The system cannot find the file specified.)")},
      {SystemCode::Win32Error(12029), U16(""), U16("error 12029 (no system text)")},
      {SystemCode::Win32Error(0xFFFFFFFFu), U16(""), U16("error 4294967295 (no system text)")},
      {SystemCode::Hresult(static_cast<int32_t>(0x80070005u)), U16("Access is denied."),
       U16("HRESULT 0x80070005 (Access is denied.)")},
      {SystemCode::Hresult(static_cast<int32_t>(0x800401F0u)), U16(""), U16("HRESULT 0x800401F0 (no system text)")},
      // A success code that a caller still treats as a failure keeps its leading zeros.
      {SystemCode::Hresult(1), U16("Incorrect function."), U16("HRESULT 0x00000001 (Incorrect function.)")},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(SystemCodeText(c.code, c.system_text) == c.expected) << c.code.value();
  }
}

TEST(SystemCode, RegistryStatusesShareTheWin32Numbering) {
  EXPECT_EQ(SystemCode::RegistryStatus(5).kind(), SystemCode::Kind::kWin32Error);
  EXPECT_EQ(SystemCode::RegistryStatus(5).value(), SystemCode::Win32Error(5).value());
  EXPECT_EQ(SystemCode::Hresult(-2147024891).value(), 0x80070005u);
  EXPECT_EQ(SystemCode::Hresult(-2147024891).kind(), SystemCode::Kind::kHresult);
}

TEST(FailureText, NamesWhereAndWhatBeforeTheCode) {
  EXPECT_TRUE(FailureText(U16("Registry"), U16("value \"DisplayName\" cannot be written"),
                          U16("error 5 (Access is denied.)")) ==
              U16("Registry: value \"DisplayName\" cannot be written, error 5 (Access is denied.)"));
}

}  // namespace
