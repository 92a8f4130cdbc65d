// Any bytes as an attached skin archive, read by a name that the input carries in front of it:
// the UTF-8 text up to the first newline. The name is read as the markup may write it too,
// with backslashes and in other case, and with limits around the entry's size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/testing/fuzz_check.h"
#include "common/text_convert.h"
#include "skinui/core/skin_archive.h"

namespace {

using SkinUI::SkinReadError;
using SkinUI::SkinReadResult;

// Below the reader's own limits, so that an input announcing a large entry costs little.
constexpr size_t kLimit = 1 << 20;

bool SameResult(const SkinReadResult& a, const SkinReadResult& b) { return a.error == b.error && a.bytes == b.bytes; }

WString Respelt(const WString& name) {
  WString respelt = name;
  for (Utf16Char& unit : respelt) {
    if (unit == '/') unit = '\\';
    else if (unit >= 'a' && unit <= 'z') unit = static_cast<Utf16Char>(unit - 'a' + 'A');
    else if (unit >= 'A' && unit <= 'Z') unit = static_cast<Utf16Char>(unit - 'A' + 'a');
  }
  return respelt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* begin = reinterpret_cast<const char*>(data);
  const char* newline = static_cast<const char*>(std::memchr(begin, '\n', size));
  const std::string name_bytes(begin, newline != nullptr ? newline : begin);
  const char* archive = newline != nullptr ? newline + 1 : begin;
  const String16 decoded = Utf8ToString16(name_bytes.c_str());
  const WString name(decoded.CStr(), decoded.Length());

  SkinUI::SkinArchive skin;
  const bool attached = skin.Attach(archive, size - static_cast<size_t>(archive - begin), "skin");
  const SkinReadResult result = skin.Read(name, kLimit);
  if (!attached) {
    FuzzCheck(result.error == SkinReadError::kOpeningArchive, "a detached archive reads nothing");
    return 0;
  }
  FuzzCheck(result.error != SkinReadError::kOpeningArchive && result.error != SkinReadError::kOpeningFile &&
                result.error != SkinReadError::kReadingFile,
            "an attached archive fails only the ways of its entries");
  FuzzCheck(result.Succeeded() == !result.bytes.empty(), "bytes come exactly with success");
  FuzzCheck(result.bytes.size() <= kLimit, "nothing beyond the limit is read");

  FuzzCheck(SameResult(skin.Read(name, kLimit), result), "a read again gives the same");
  FuzzCheck(SameResult(skin.Read(Respelt(name), kLimit), result), "backslashes and case do not matter");
  if (result.Succeeded()) {
    FuzzCheck(SameResult(skin.Read(name, result.bytes.size()), result), "an entry of the limit's size is read");
    FuzzCheck(skin.Read(name, result.bytes.size() - 1).error == SkinReadError::kFileTooLarge,
              "an entry above the limit is refused");
  }
  return 0;
}
