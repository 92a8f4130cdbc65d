// An entry's stored fields as the archive reader judges them. Input: made-by version (2 bytes,
// little-endian), external attributes (4), DOS date and time (4), the extra field's length (2)
// and that many bytes of extra field, then the name as UTF-16LE units.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/testing/fuzz_check.h"
#include "engine/entry_names.h"
#include "engine/testing/entry_name_checks.h"

namespace {

uint32_t Le(const uint8_t* p, size_t bytes) {
  uint32_t value = 0;
  for (size_t i = bytes; i-- > 0;) value = (value << 8) | p[i];
  return value;
}

// Days from 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms); a
// date that does not exist comes back as another one.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, int64_t* m, int64_t* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp + (mp < 10 ? 3 : -9);
  *y = yoe + era * 400 + (*m <= 2);
}

void CheckDosTime(uint32_t dos) {
  const int64_t year = 1980 + (dos >> 25), month = (dos >> 21) & 0x0F, day = (dos >> 16) & 0x1F;
  const int64_t hour = (dos >> 11) & 0x1F, minute = (dos >> 5) & 0x3F, second = (dos & 0x1F) * 2;
  const int64_t days = DaysFromCivil(year, month, day);
  int64_t y = 0, m = 0, d = 0;
  CivilFromDays(days, &y, &m, &d);
  const bool exists = month >= 1 && month <= 12 && day >= 1 && y == year && m == month && d == day &&
                      hour <= 23 && minute <= 59 && second <= 59;
  FileTimeTicks ticks = -1;
  FuzzCheck(DosDateTimeToTicks(dos, &ticks) == exists, "a DOS time is taken exactly when its date and time exist");
  if (!exists) {
    FuzzCheck(ticks == -1, "a refused DOS time leaves the ticks alone");
    return;
  }
  const int64_t seconds = (days - DaysFromCivil(1601, 1, 1)) * 86400 + hour * 3600 + minute * 60 + second;
  FuzzCheck(ticks == seconds * 10000000, "a DOS time gives the ticks of the same calendar time");
}

void CheckExtendedTimes(const uint8_t* field, size_t size, size_t prefix) {
  // Copies of exactly the given length, so that a read past either end is caught.
  std::unique_ptr<unsigned char[]> whole(new unsigned char[size]);
  std::memcpy(whole.get(), field, size);
  std::unique_ptr<unsigned char[]> cut(new unsigned char[prefix]);
  std::memcpy(cut.get(), field, prefix);
  const ExtendedTimes all = ParseExtendedTimes(whole.get(), size);
  const ExtendedTimes part = ParseExtendedTimes(cut.get(), prefix);
  // Cutting the field off can only lose times, never find other ones.
  FuzzCheck(!part.has_write || (all.has_write && part.write == all.write), "a shorter field finds no other write time");
  FuzzCheck(!part.has_access || (all.has_access && part.access == all.access), "a shorter field finds no other access time");
  FuzzCheck(!part.has_creation || (all.has_creation && part.creation == all.creation),
            "a shorter field finds no other creation time");
}

void CheckName(const WString& stored) {
  const WString cleaned = CleanEntryName(stored);
  FuzzCheck(stored.find(cleaned) != WString::npos, "cleaning only drops a start and cuts the end");
  CheckCleanedName(cleaned);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kFixed = 12;
  if (size < kFixed) return 0;
  const uint16_t version_made_by = static_cast<uint16_t>(Le(data, 2));
  const uint32_t external = Le(data + 2, 4);
  const uint32_t dos = Le(data + 6, 4);
  const size_t extra_size = std::min<size_t>(Le(data + 10, 2), size - kFixed);
  const uint8_t* extra = data + kFixed;
  const uint8_t* name = extra + extra_size;
  const size_t name_units = (size - kFixed - extra_size) / 2;

  const uint32_t known = kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeDirectory | kAttributeArchive;
  FuzzCheck((EntryAttributes(version_made_by, external) & ~known) == 0, "only the known attribute bits are given");
  CheckDosTime(dos);
  // The prefix length is taken from the DOS time's low byte, which the fuzzer moves freely.
  CheckExtendedTimes(extra, extra_size, extra_size == 0 ? 0 : (dos & 0xFF) % (extra_size + 1));

  WString stored(name_units, Utf16Char(0));
  for (size_t i = 0; i < name_units; ++i) stored[i] = static_cast<Utf16Char>(name[2 * i] | (name[2 * i + 1] << 8));
  CheckName(stored);
  return 0;
}
