#include "identity/guid_text.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatGuidTextTest, ThirdFieldIsLowerCaseAndTheRestUpperCase) {
  const uint8_t tail[8] = {0x9a, 0x0c, 0x03, 0x05, 0xe8, 0x2c, 0x33, 0x01};
  EXPECT_STREQ(FormatGuidText(0x3f2504e0, 0x4f89, 0x11d3, tail).CStr(),
               "3F2504E04F8911d39A0C0305E82C3301");
  const uint8_t high[8] = {0xff, 0xfe, 0xab, 0xcd, 0xef, 0xba, 0xdc, 0xfe};
  EXPECT_STREQ(FormatGuidText(0xabcdef01, 0xabcd, 0xabcd, high).CStr(),
               "ABCDEF01ABCDabcdFFFEABCDEFBADCFE");
}

TEST(FormatGuidTextTest, SmallFieldsKeepLeadingZeros) {
  const uint8_t zeros[8] = {0, 1, 0, 0, 0, 0, 0, 0x0f};
  EXPECT_STREQ(FormatGuidText(0x1, 0x2, 0xa, zeros).CStr(), "000000010002000a000100000000000F");
}

}  // namespace
