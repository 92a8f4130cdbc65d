#pragma once
// The per-run identifier: a fresh GUID as 32 hex digits without separators.
#include <cstdint>

#include "common/shared_string.h"

// The GUID fields as "%08X%04X%04x" followed by the eight bytes as "%02X" each: the third
// field is the only one in lower case, as the service has always received it.
String8 FormatGuidText(uint32_t data1, uint16_t data2, uint16_t data3, const uint8_t data4[8]);

// A new GUID from the system's generator, formatted; empty (after the line
// "create guid error\n" on standard error) when no GUID can be made. Windows only.
String8 NewGuidText();
