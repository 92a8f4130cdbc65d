// DOS times in an archive are wall-clock times of the zone the archive was made in; the reader
// turns them into UTC by the rules of the zone this process runs in, on the entry's own date.
// The test is registered once per zone with TZ set for the Wine process, and the expectations
// are fixed UTC times for that zone, so that no inverse conversion can hide an error.
#include "engine/archive_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/testing/scoped_temp_dir.h"
#include "common/testing/zip_writer.h"

namespace {

struct WallClock {
  int year, month, day, hour, minute;
};

struct ZoneCase {
  const char* zone;
  WallClock winter_utc;  // of 2024-01-15 12:00 local
  WallClock summer_utc;  // of 2024-07-01 12:00 local
};

constexpr WallClock kWinterLocal{2024, 1, 15, 12, 0};
constexpr WallClock kSummerLocal{2024, 7, 1, 12, 0};

const ZoneCase kZones[] = {
    {"UTC", {2024, 1, 15, 12, 0}, {2024, 7, 1, 12, 0}},
    {"Asia/Shanghai", {2024, 1, 15, 4, 0}, {2024, 7, 1, 4, 0}},
    {"Europe/Berlin", {2024, 1, 15, 11, 0}, {2024, 7, 1, 10, 0}},
    {"America/New_York", {2024, 1, 15, 17, 0}, {2024, 7, 1, 16, 0}},
};

const ZoneCase* ZoneOfThisRun() {
  const char* tz = std::getenv("TZ");
  for (const ZoneCase& c : kZones) {
    if (tz != nullptr && std::string(tz) == c.zone) return &c;
  }
  return nullptr;
}

uint64_t UtcTicks(const WallClock& utc) {
  SYSTEMTIME fields = {};
  fields.wYear = static_cast<WORD>(utc.year);
  fields.wMonth = static_cast<WORD>(utc.month);
  fields.wDay = static_cast<WORD>(utc.day);
  fields.wHour = static_cast<WORD>(utc.hour);
  fields.wMinute = static_cast<WORD>(utc.minute);
  FILETIME time = {};
  EXPECT_TRUE(SystemTimeToFileTime(&fields, &time));
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

TEST(ArchiveTimeZoneTest, DosTimesBecomeUtcByTheRulesOfTheirOwnDate) {
  const ZoneCase* zone = ZoneOfThisRun();
  ASSERT_NE(zone, nullptr) << "run with TZ set to one of the zones of the table";

  ZipEntrySpec winter{"winter.txt", "w"};
  winter.dos_date_time = DosDateTime(kWinterLocal.year, kWinterLocal.month, kWinterLocal.day, kWinterLocal.hour,
                                     kWinterLocal.minute, 0);
  ZipEntrySpec summer{"summer.txt", "s"};
  summer.dos_date_time = DosDateTime(kSummerLocal.year, kSummerLocal.month, kSummerLocal.day, kSummerLocal.hour,
                                     kSummerLocal.minute, 0);
  ScopedTempDir temp;
  const std::wstring path = temp.path() + L"times.zip";
  ASSERT_TRUE(WriteFileBytes(path, BuildZip({winter, summer})));

  const ScopedArchive archive(OpenArchive(path));
  ASSERT_TRUE(archive);
  ArchiveEntry entry;
  ASSERT_EQ(GetArchiveEntry(archive.Get(), 0, &entry), 0);
  EXPECT_EQ(Ticks(entry.write_time), UtcTicks(zone->winter_utc)) << zone->zone << ", winter";
  ASSERT_EQ(GetArchiveEntry(archive.Get(), 1, &entry), 0);
  EXPECT_EQ(Ticks(entry.write_time), UtcTicks(zone->summer_utc)) << zone->zone << ", summer";
}

}  // namespace
