#include "httpport/client/host_header.h"

namespace {

bool IsBlank(Utf16Char c) { return c == U16(' ') || c == U16('\t'); }

Utf16Char Lower(Utf16Char c) { return c >= U16('A') && c <= U16('Z') ? c + (U16('a') - U16('A')) : c; }

bool NamesHost(const WString& line) {
  static const Utf16Char kName[] = U16("host:");
  if (line.size() < 5) return false;
  for (size_t i = 0; i < 5; ++i) {
    if (Lower(line[i]) != kName[i]) return false;
  }
  return true;
}

}  // namespace

WString HostHeaderValue(const std::vector<WString>& header_lines) {
  WString value;
  for (const WString& line : header_lines) {
    if (!NamesHost(line)) continue;
    size_t begin = 5, end = line.size();
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    value = line.substr(begin, end - begin);
  }
  return value;
}
