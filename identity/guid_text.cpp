#include "identity/guid_text.h"

#include <cstdio>

String8 FormatGuidText(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8]) {
  char text[64];
  std::snprintf(text, sizeof text, "%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned>(data1), unsigned{data2}, unsigned{data3}, unsigned{data4[0]},
                unsigned{data4[1]}, unsigned{data4[2]}, unsigned{data4[3]}, unsigned{data4[4]},
                unsigned{data4[5]}, unsigned{data4[6]}, unsigned{data4[7]});
  return String8(text);
}
