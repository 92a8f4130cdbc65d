#include "entry/client_process_id.h"

#include "entry/ascii_case.h"

uint32_t ParseClientProcessId(const WString& text) {
  uint64_t value = 0;
  for (const Utf16Char c : text) {
    if (c < U16('0') || c > U16('9')) break;
    value = value * 10 + static_cast<uint64_t>(c - U16('0'));
    if (value > UINT32_MAX) return 0;
  }
  return static_cast<uint32_t>(value);
}

bool IsClientExecutable(const WString& image_path) {
  static const Utf16Char kClient[] = U16("bokrin.exe");
  const WString::size_type separator = image_path.find_last_of(U16("\\/"));
  const WString name = separator == WString::npos ? image_path : image_path.substr(separator + 1);
  if (name.size() != sizeof(kClient) / sizeof(kClient[0]) - 1) return false;
  for (WString::size_type i = 0; i < name.size(); ++i) {
    if (AsciiLower(name[i]) != kClient[i]) return false;
  }
  return true;
}
