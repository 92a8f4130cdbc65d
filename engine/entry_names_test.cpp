#include "engine/entry_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/testing/zip_writer.h"

namespace {

std::string Show(const WString& text) {
  std::string shown;
  for (Utf16Char ch : text) shown += (ch < 0x80) ? static_cast<char>(ch) : '?';
  return shown;
}

struct NameCase {
  const Utf16Char* stored;
  const Utf16Char* cleaned;
  bool contained;
};

TEST(EntryNameTest, CleansAndJudgesStoredNames) {
  const NameCase kCases[] = {
      // Plain names and the rewrites that keep a hostile prefix from anchoring the name.
      {U16("Bokrin.exe"), U16("Bokrin.exe"), true},
      {U16("res/skin/"), U16("res/skin/"), true},
      {U16("./a.txt"), U16("./a.txt"), false},
      {U16("C:\\tmp\\x"), U16("tmp\\x"), true},
      {U16("/abs/p"), U16("abs/p"), true},
      {U16("a/../b"), U16("b"), true},
      {U16("x\\..\\y\\..\\z"), U16("z"), true},
      {U16("\\\\server\\share\\x"), U16("server\\share\\x"), true},
      {U16("a:b"), U16("b"), true},
      {U16("C:/D:\\e"), U16("e"), true},
      {U16("a\\../..\\b"), U16("..\\b"), false},
      // Names that would still leave the install directory or name no file in it.
      {U16(".."), U16(".."), false},
      {U16("../x"), U16("../x"), false},
      {U16("..\\x"), U16("..\\x"), false},
      {U16("a/../../x"), U16("../x"), false},
      {U16("C:..\\x"), U16("..\\x"), false},
      {U16("a/.."), U16("a/.."), false},
      {U16("a/... /b"), U16("a/... /b"), false},
      {U16(""), U16(""), false},
      {U16("/"), U16(""), false},
      {U16("C:"), U16(""), false},
      // An alternate data stream, and devices that Windows opens instead of a file.
      {U16("ab:c"), U16("ab:c"), false},
      {U16("dir/a:b"), U16("dir/a:b"), false},
      {U16("CON"), U16("CON"), false},
      {U16("sub/nul.txt"), U16("sub/nul.txt"), false},
      {U16("lpt1 .log"), U16("lpt1 .log"), false},
      {U16("COM0"), U16("COM0"), false},
      {U16("COM\u00b9.txt"), U16("COM\u00b9.txt"), false},
      {U16("lib/LPT\u00b2"), U16("lib/LPT\u00b2"), false},
      {U16("com\u00b3 .log"), U16("com\u00b3 .log"), false},
      {U16("COM\u2074"), U16("COM\u2074"), true},
      {U16("COM10"), U16("COM10"), true},
      {U16("console.txt"), U16("console.txt"), true},
      // Units that Windows refuses in a name.
      {U16("a<b"), U16("a<b"), false},
      {U16("a>b"), U16("a>b"), false},
      {U16("a|b"), U16("a|b"), false},
      {U16("what?.txt"), U16("what?.txt"), false},
      {U16("dir/*.txt"), U16("dir/*.txt"), false},
      {U16("say\"hi\""), U16("say\"hi\""), false},
      {U16("tab\there"), U16("tab\there"), false},
      {U16("line\x1f"), U16("line\x1f"), false},
      {U16("\x7f is fine"), U16("\x7f is fine"), true},
      // Components whose trailing dots and blanks Windows drops: what is judged is not what
      // would be opened.
      {U16("Bokrin.exe."), U16("Bokrin.exe."), false},
      {U16("Bokrin.exe "), U16("Bokrin.exe "), false},
      {U16("dir./x.txt"), U16("dir./x.txt"), false},
      {U16("dir /x.txt"), U16("dir /x.txt"), false},
      {U16("dir../"), U16("dir../"), false},
      {U16(" lead.txt"), U16(" lead.txt"), true},
      // Only a directory's own trailing separator leaves an empty component.
      {U16("a//b"), U16("a//b"), false},
      {U16("a/b//"), U16("a/b//"), false},
      {U16("a/b/"), U16("a/b/"), true},
  };
  for (const NameCase& c : kCases) {
    const WString cleaned = CleanEntryName(c.stored);
    EXPECT_EQ(cleaned, WString(c.cleaned)) << Show(c.stored);
    EXPECT_EQ(IsContainedEntryName(cleaned), c.contained) << Show(c.stored);
  }
}

// Windows reads a path up to its first zero unit: the part before it is what would be opened.
TEST(EntryNameTest, RefusesNamesThatAZeroUnitWouldCut) {
  const WString kZero(1, Utf16Char(0));
  const WString kNames[] = {
      U16("..") + kZero + U16("x"),
      U16("a/... ") + kZero + kZero + U16("r/b"),
      kZero,
      U16("CON") + kZero + U16(".txt"),
      U16("ok.txt") + kZero,
  };
  for (const WString& name : kNames) {
    EXPECT_EQ(CleanEntryName(name), name) << Show(name);
    EXPECT_FALSE(IsContainedEntryName(name)) << Show(name);
  }
}

// A long name is refused as a whole: cut to a limit, "Bokrin.exe" followed by 300 blanks
// would be "Bokrin.exe" and blanks, which Windows opens as "Bokrin.exe".
TEST(EntryNameTest, RefusesLongNamesWithoutCuttingThem) {
  const WString padded = U16("Bokrin.exe") + WString(300, U16(' '));
  EXPECT_EQ(CleanEntryName(padded), padded);
  EXPECT_FALSE(IsContainedEntryName(padded));

  const WString longest = U16("dir/") + WString(kMaxEntryNameLength - 4, U16('a'));
  EXPECT_EQ(CleanEntryName(longest), longest);
  EXPECT_TRUE(IsContainedEntryName(longest));
  const WString one_more = longest + U16("a");
  EXPECT_EQ(CleanEntryName(one_more), one_more);
  EXPECT_FALSE(IsContainedEntryName(one_more));

  // Thousands of upward steps are worked through without running past the text.
  WString many_steps;
  for (int i = 0; i < 5000; ++i) many_steps += U16("d/../");
  many_steps += U16("end");
  EXPECT_EQ(CleanEntryName(many_steps), WString(U16("end")));
}

TEST(EntryNameTest, TheClientExecutableIsAFileAtTheRoot) {
  struct Case {
    const Utf16Char* name;
    bool directory;
    bool client;
  };
  const Case kCases[] = {
      {U16("Bokrin.exe"), false, true},      {U16("BOKRIN.EXE"), false, true},
      {U16("bokrin.Exe"), false, true},      {U16("Bokrin.exe"), true, false},
      {U16("Bokrin.exe/"), true, false},     {U16("bin/Bokrin.exe"), false, false},
      {U16("Bokrin.exe.bak"), false, false}, {U16("Bokrin.ex"), false, false},
  };
  for (const Case& c : kCases) EXPECT_EQ(IsClientExecutableEntry(c.name, c.directory), c.client) << Show(c.name);
}

TEST(EntryNameTest, PathLimitsCountTheInstallDirectory) {
  struct Case {
    size_t install_dir;
    WString name;
    bool directory;
    bool fits;
  };
  const Case kCases[] = {
      {20, U16("Bokrin.exe"), false, true},
      {249, U16("Bokrin.exe"), false, true},             // 259 units
      {250, U16("Bokrin.exe"), false, false},            // 260 units
      {237, U16("skin/x.png"), false, true},             // folder 241 units
      {244, U16("skin/x.png"), false, false},            // folder 248 units
      {243, U16("skin/"), true, true},                   // 247 units
      {244, U16("skin/"), true, false},                  // 248 units
      {244, U16("skin"), true, false},
      {3, U16("a/") + WString(240, U16('b')) + U16("/c"), false, true},
      {3, U16("a/") + WString(243, U16('b')) + U16("/c"), false, false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(FitsPathLimits(c.install_dir, c.name, c.directory), c.fits) << c.install_dir << " " << Show(c.name);
  }
}

TEST(EntryNameTest, FindsAFileAndAFolderOfTheSameName) {
  struct Case {
    const char* what;
    std::vector<NamedEntry> entries;
    size_t clash;
  };
  const Case kCases[] = {
      {"none", {{U16("Bokrin.exe"), false}, {U16("skin/"), true}, {U16("skin/a.xml"), false}}, 3},
      {"file, then a directory entry", {{U16("a.txt"), false}, {U16("b"), false}, {U16("b/"), true}}, 1},
      {"directory entry without separator", {{U16("b"), true}, {U16("b"), false}}, 1},
      {"file, then a file inside it", {{U16("Bokrin.exe"), false}, {U16("Bokrin.exe/x"), false}}, 0},
      {"folder first", {{U16("lib/x.dll"), false}, {U16("lib"), false}}, 1},
      {"case of the letters", {{U16("Lib/x.dll"), false}, {U16("LIB"), false}}, 1},
      {"either separator", {{U16("lib\\x.dll"), false}, {U16("lib"), false}}, 1},
      {"deep parent", {{U16("a/b/c/d.txt"), false}, {U16("a/b"), false}}, 1},
      {"same file twice", {{U16("a.txt"), false}, {U16("a.txt"), false}}, 2},
      {"prefix is not a parent", {{U16("ab/x"), false}, {U16("a"), false}}, 2},
      {"nothing", {}, 0},
  };
  for (const Case& c : kCases) EXPECT_EQ(FindFileFolderClash(c.entries, CompareAsciiCaseBlind), c.clash) << c.what;
}

// A stand-in for the system's case table: folds the Latin-1 capitals (U+00C0 to U+00DE but
// U+00D7) besides ASCII, enough to see that the comparison handed in is the one that counts.
int CompareLatin1CaseBlind(const WString& a, const WString& b) {
  const auto fold = [](Utf16Char ch) {
    const bool latin1_capital = ch >= 0xC0 && ch <= 0xDE && ch != 0xD7;
    return static_cast<Utf16Char>(latin1_capital || (ch >= U16('A') && ch <= U16('Z')) ? ch + 0x20 : ch);
  };
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return fold(a[i]) < fold(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

TEST(EntryNameTest, TheComparisonHandedInTellsNamesApart) {
  struct Case {
    const char* what;
    NameComparison compare;
    std::vector<NamedEntry> entries;
    size_t clash;
  };
  const WString capital_a_umlaut = WString(1, static_cast<Utf16Char>(0xC4));
  const WString small_a_umlaut = WString(1, static_cast<Utf16Char>(0xE4));
  const Case kCases[] = {
      {"ASCII rule: Ä and ä differ", CompareAsciiCaseBlind,
       {{capital_a_umlaut + U16(".txt"), false}, {small_a_umlaut + U16(".txt/x.txt"), false}}, 2},
      {"wider rule: Ä and ä are one", CompareLatin1CaseBlind,
       {{capital_a_umlaut + U16(".txt"), false}, {small_a_umlaut + U16(".txt/x.txt"), false}}, 0},
      {"wider rule, folder first", CompareLatin1CaseBlind,
       {{small_a_umlaut + U16("/x.txt"), false}, {capital_a_umlaut, false}}, 1},
      // A folder "ä" beside a file "Ä.txt" is no clash under any rule.
      {"wider rule: Ä.txt beside the folder ä", CompareLatin1CaseBlind,
       {{capital_a_umlaut + U16(".txt"), false}, {small_a_umlaut + U16("/x.txt"), false}}, 2},
  };
  for (const Case& c : kCases) EXPECT_EQ(FindFileFolderClash(c.entries, c.compare), c.clash) << c.what;
}

TEST(EntryNameTest, AsciiCaseBlindOrder) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case kCases[] = {
      {"Bokrin.exe", "BOKRIN.EXE", 0}, {"a", "B", -1}, {"b", "A", 1}, {"ab", "AB/", -1}, {"", "", 0}, {"a/", "A", 1},
  };
  for (const Case& c : kCases) {
    const int result = CompareAsciiCaseBlind(WString(c.a, c.a + std::strlen(c.a)), WString(c.b, c.b + std::strlen(c.b)));
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
  }
}

struct AttributeCase {
  uint16_t version_made_by;
  uint32_t external;
  uint32_t expected;
};

TEST(EntryAttributesTest, MapsDosAttributesAndUnixModes) {
  const AttributeCase kCases[] = {
      // DOS-like systems (0 MS-DOS, 7, 11 NTFS, 14 VFAT): the attribute byte, other bits dropped.
      {0x0014, 0x21, kAttributeReadOnly | kAttributeArchive},
      {0x0714, 0x02, kAttributeHidden},
      {0x0B14, 0x16, kAttributeHidden | kAttributeSystem | kAttributeDirectory},
      {0x0E14, 0x00, 0},
      {0x0014, 0x81A40040, 0},
      // Unix (3) and any other system: the mode word in the high half.
      {0x031E, 0x81A40000, kAttributeArchive},                                      // -rw-r--r--
      {0x031E, 0x81240000, kAttributeArchive | kAttributeReadOnly},                 // -r--r--r--
      {0x031E, 0x41ED0010, kAttributeArchive | kAttributeDirectory},                // drwxr-xr-x
      {0x031E, 0x416D0000, kAttributeArchive | kAttributeDirectory | kAttributeReadOnly},  // dr-x
      {0x0314, 0x00000000, kAttributeArchive | kAttributeReadOnly},
      {0x0A14, 0x81A40002, kAttributeArchive},
  };
  for (const AttributeCase& c : kCases) {
    EXPECT_EQ(EntryAttributes(c.version_made_by, c.external), c.expected)
        << std::hex << c.version_made_by << " " << c.external;
  }
}

TEST(EntryAttributesTest, DirectoriesByAttributeOrTrailingSeparator) {
  struct Case {
    uint32_t attributes;
    const Utf16Char* name;
    bool directory;
  };
  const Case kCases[] = {
      {kAttributeArchive, U16("docs/"), true},
      {0, U16("docs\\"), true},
      {kAttributeDirectory, U16("docs"), true},
      {kAttributeArchive | kAttributeReadOnly, U16("docs/readme.txt"), false},
      {0, U16("/docs"), false},
      {0, U16(""), false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(IsDirectoryEntry(c.attributes, c.name), c.directory) << Show(c.name);
  }
}

constexpr FileTimeTicks kTicksPerSecond = 10000000;
constexpr FileTimeTicks kUnixEpochTicks = 116444736000000000;

TEST(DosDateTimeTest, GivesTicksOfTheSameWallClockTime) {
  struct Case {
    uint32_t dos;
    FileTimeTicks expected;
  };
  const Case kCases[] = {
      {DosDateTime(1980, 1, 1, 0, 0, 0), 119600064000000000},
      {DosDateTime(1970 + 30, 2, 29, 12, 34, 56), kUnixEpochTicks + 951827696 * kTicksPerSecond},
      {DosDateTime(2021, 6, 15, 10, 20, 30), kUnixEpochTicks + 1623752430 * kTicksPerSecond},
      {DosDateTime(2107, 12, 31, 23, 59, 58), kUnixEpochTicks + 4354819198 * kTicksPerSecond},
  };
  for (const Case& c : kCases) {
    FileTimeTicks ticks = -1;
    ASSERT_TRUE(DosDateTimeToTicks(c.dos, &ticks)) << std::hex << c.dos;
    EXPECT_EQ(ticks, c.expected) << std::hex << c.dos;
  }
}

TEST(DosDateTimeTest, RefusesFieldsOutOfRange) {
  const uint32_t kInvalid[] = {
      0,                                   // month 0, day 0: what some writers store
      DosDateTime(2021, 13, 1, 0, 0, 0),   // month 13
      DosDateTime(2021, 4, 31, 0, 0, 0),   // 31 April
      DosDateTime(2021, 2, 29, 0, 0, 0),   // no leap year
      DosDateTime(2100, 2, 29, 0, 0, 0),   // century, no leap year
      DosDateTime(2021, 6, 15, 24, 0, 0),  // hour 24
      DosDateTime(2021, 6, 15, 23, 60, 0),
      DosDateTime(2021, 6, 15, 23, 59, 60),
  };
  for (uint32_t dos : kInvalid) {
    FileTimeTicks ticks = 42;
    EXPECT_FALSE(DosDateTimeToTicks(dos, &ticks)) << std::hex << dos;
    EXPECT_EQ(ticks, 42);
  }
}

std::vector<unsigned char> Block(uint16_t id, const std::vector<unsigned char>& data) {
  std::vector<unsigned char> block = {static_cast<unsigned char>(id & 0xFF), static_cast<unsigned char>(id >> 8),
                                      static_cast<unsigned char>(data.size() & 0xFF),
                                      static_cast<unsigned char>(data.size() >> 8)};
  block.insert(block.end(), data.begin(), data.end());
  return block;
}

std::vector<unsigned char> Le32(uint32_t value) {
  return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
          static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

std::vector<unsigned char> Concat(std::initializer_list<std::vector<unsigned char>> parts) {
  std::vector<unsigned char> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(ExtendedTimesTest, TakesTheTimesThatTheFlagsAndTheBlockHold) {
  constexpr uint32_t kWrite = 1600000000, kAccess = 1600000100, kCreate = 1600000200;
  const std::vector<unsigned char> all_three = Concat({{7}, Le32(kWrite), Le32(kAccess), Le32(kCreate)});
  const std::vector<unsigned char> unix_block = Block(0x7875, {1, 4, 0xE8, 3, 0, 0, 4, 0xE8, 3, 0, 0});
  struct Case {
    const char* what;
    std::vector<unsigned char> extra;
    bool write, access, creation;
  };
  const std::vector<Case> kCases = {
      {"all three", Block(0x5455, all_three), true, true, true},
      {"write only", Block(0x5455, Concat({{1}, Le32(kWrite)})), true, false, false},
      {"access and creation", Block(0x5455, Concat({{6}, Le32(kAccess), Le32(kCreate)})), false, true, true},
      {"flags for three, central copy with one", Block(0x5455, Concat({{7}, Le32(kWrite)})), true, false, false},
      {"after other blocks", Concat({unix_block, Block(0x000A, std::vector<unsigned char>(32, 0)),
                                     Block(0x5455, all_three)}),
       true, true, true},
      {"flags only", Block(0x5455, {7}), false, false, false},
      {"no flags set", Block(0x5455, Concat({{0}, Le32(kWrite)})), false, false, false},
      {"no UT block", unix_block, false, false, false},
      {"empty", {}, false, false, false},
      {"cut inside a header", {0x55, 0x54, 13}, false, false, false},
  };
  for (const Case& c : kCases) {
    const ExtendedTimes times = ParseExtendedTimes(c.extra.data(), c.extra.size());
    EXPECT_EQ(times.has_write, c.write) << c.what;
    EXPECT_EQ(times.has_access, c.access) << c.what;
    EXPECT_EQ(times.has_creation, c.creation) << c.what;
    if (times.has_write) EXPECT_EQ(times.write, UnixTimeToTicks(kWrite)) << c.what;
    if (times.has_access) EXPECT_EQ(times.access, UnixTimeToTicks(kAccess)) << c.what;
    if (times.has_creation) EXPECT_EQ(times.creation, UnixTimeToTicks(kCreate)) << c.what;
  }
}

TEST(ExtendedTimesTest, StopsAtABlockThatRunsPastTheField) {
  // The declared length reaches beyond the field: none of its bytes may be read.
  std::vector<unsigned char> extra = Block(0x5455, Concat({{7}, Le32(1), Le32(2), Le32(3)}));
  extra.resize(extra.size() - 1);
  const ExtendedTimes times = ParseExtendedTimes(extra.data(), extra.size());
  EXPECT_FALSE(times.has_write || times.has_access || times.has_creation);

  // A broken block before the stamp hides it too: the field cannot be walked past it.
  const std::vector<unsigned char> broken_first =
      Concat({{0x75, 0x78, 0xFF, 0x00, 1}, Block(0x5455, Concat({{1}, Le32(5)}))});
  EXPECT_FALSE(ParseExtendedTimes(broken_first.data(), broken_first.size()).has_write);
}

TEST(ExtendedTimesTest, UnixTimesAreUnsignedSecondsFrom1970) {
  EXPECT_EQ(UnixTimeToTicks(0), kUnixEpochTicks);
  EXPECT_EQ(UnixTimeToTicks(1623752430), kUnixEpochTicks + 1623752430 * kTicksPerSecond);
  EXPECT_EQ(UnixTimeToTicks(0xFFFFFFFF), kUnixEpochTicks + 4294967295LL * kTicksPerSecond);
}

}  // namespace
