#include "common/setup_log_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

void PutWord(std::vector<unsigned char>* data, size_t at, uint32_t value) {
  (*data)[at] = value & 0xFF;
  (*data)[at + 1] = (value >> 8) & 0xFF;
}

void PutDoubleWord(std::vector<unsigned char>* data, size_t at, uint32_t value) {
  PutWord(data, at, value & 0xFFFF);
  PutWord(data, at + 2, value >> 16);
}

// A version resource as the resource compiler lays it out, without its string tables.
std::vector<unsigned char> VersionResource(uint32_t most, uint32_t least) {
  std::vector<unsigned char> data(92);
  PutWord(&data, 0, 92);
  PutWord(&data, 2, 52);
  const char key[] = "VS_VERSION_INFO";
  for (size_t i = 0; i < sizeof(key); ++i) PutWord(&data, 6 + 2 * i, static_cast<unsigned char>(key[i]));
  PutDoubleWord(&data, 40, 0xFEEF04BD);
  PutDoubleWord(&data, 44, 0x00010000);
  PutDoubleWord(&data, 48, most);
  PutDoubleWord(&data, 52, least);
  return data;
}

TEST(FileVersionText, ReadsFourPartsOfTheFixedInfo) {
  const std::vector<unsigned char> data = VersionResource(0x0001000D, 0x00050000);
  EXPECT_EQ(FileVersionText(data.data(), data.size()), WString(U16("1.13.5.0")));
  const std::vector<unsigned char> wide = VersionResource(0xFFFF0000, 0x0000FFFF);
  EXPECT_EQ(FileVersionText(wide.data(), wide.size()), WString(U16("65535.0.0.65535")));
}

TEST(FileVersionText, OtherDataGivesNothing) {
  struct Case {
    const char* what;
    size_t at;          // where the good resource is spoilt
    unsigned char byte;
    size_t size;        // bytes handed over
  };
  const Case cases[] = {
      {"cut before the fixed info ends", 0, 0, 91},
      {"value shorter than the fixed info", 2, 51, 92},
      {"another key", 6, 'W', 92},
      {"wrong signature", 40, 0xBC, 92},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> data = VersionResource(0x0001000D, 0x00050000);
    if (c.at != 0) data[c.at] = c.byte;
    data.resize(c.size);
    EXPECT_EQ(FileVersionText(data.data(), data.size()), WString()) << c.what;
  }
  EXPECT_EQ(FileVersionText(nullptr, 0), WString());
}

}  // namespace
