#include "engine/rollback_journal_text.h"

#include <gtest/gtest.h>

namespace {

const WString kInstall = U16("C:\\Program Files\\Bokrin\\");
const WString kBackup = U16("C:\\Program Files\\Bokrin\\BokrinSetup.rollback\\");

JournalRecord Folder(const Utf16Char* path) { return {JournalStep::kCreatedFolder, path, {}, 0, 0}; }
JournalRecord File(const Utf16Char* path) { return {JournalStep::kCreatedFile, path, {}, 0, 0}; }
JournalRecord MovedAside(const Utf16Char* path, const Utf16Char* backup, uint64_t size, uint64_t time) {
  return {JournalStep::kMovedAside, path, backup, size, time};
}

WString Text(const std::vector<JournalRecord>& records) {
  WString text = JournalHeader(kInstall, kBackup);
  for (const JournalRecord& record : records) text += JournalLine(record);
  return text;
}

TEST(RollbackJournalText, ReadsBackWhatWasWrittenInOrder) {
  const std::vector<JournalRecord> records = {
      Folder(U16("C:\\Program Files\\Bokrin\\")),
      Folder(U16("C:\\Program Files\\Bokrin\\plugins\\")),
      File(U16("C:\\Program Files\\Bokrin\\plugins\\阅读 core.dll")),
      MovedAside(U16("C:\\Program Files\\Bokrin\\Bokrin.exe"), U16("C:\\Program Files\\Bokrin\\BokrinSetup.rollback\\1"),
                 1234567, UINT64_MAX),
      MovedAside(U16("C:\\Program Files\\Bokrin\\empty.txt"), U16("C:\\Program Files\\Bokrin\\BokrinSetup.rollback\\2"),
                 0, 0),
  };
  Journal journal;
  ASSERT_TRUE(ParseJournal(Text(records), &journal));
  EXPECT_EQ(journal.install_dir, kInstall);
  EXPECT_EQ(journal.backup_dir, kBackup);
  EXPECT_EQ(journal.records, records);
  EXPECT_FALSE(journal.committed);

  ASSERT_TRUE(ParseJournal(Text(records) + JournalCommitLine(), &journal));
  EXPECT_EQ(journal.records, records);
  EXPECT_TRUE(journal.committed);
}

TEST(RollbackJournalText, RecordsEndAtTheFirstLineThatCannotBeTrusted) {
  const WString first = JournalLine(File(U16("C:\\Program Files\\Bokrin\\a.txt")));
  const WString last = JournalLine(File(U16("C:\\Program Files\\Bokrin\\z.txt")));
  struct Case {
    const char* what;
    WString line;
  };
  const Case cases[] = {
      {"cut short by a dying writer", U16("F\tC:\\Program Files\\Bokrin\\b.t")},
      {"outside the install directory", U16("F\tC:\\Windows\\system32\\kernel32.dll\n")},
      {"a step back out of it", U16("F\tC:\\Program Files\\Bokrin\\..\\..\\Windows\\win.ini\n")},
      {"an empty step", U16("D\tC:\\Program Files\\Bokrin\\\\\n")},
      {"the install directory as a file", U16("F\tC:\\Program Files\\Bokrin\\\n")},
      {"the install directory's parent", U16("D\tC:\\Program Files\\\n")},
      {"a prefix that is no parent", U16("F\tC:\\Program Files\\BokrinOther\\a.txt\n")},
      {"the backup folder", U16("D\tC:\\Program Files\\Bokrin\\BokrinSetup.rollback\\\n")},
      {"inside the backup folder",
       U16("F\tC:\\Program Files\\Bokrin\\BokrinSetup.rollback\\1\n")},
      {"a backup outside the backup folder",
       U16("R\tC:\\Program Files\\Bokrin\\b.txt\tC:\\Users\\Public\\b.txt\t1\t2\n")},
      {"a size that is no number", U16("R\tC:\\Program Files\\Bokrin\\b.txt\tC:\\Program Files\\Bokrin\\"
                                       "BokrinSetup.rollback\\1\t-1\t2\n")},
      {"a time past 64 bits", U16("R\tC:\\Program Files\\Bokrin\\b.txt\tC:\\Program Files\\Bokrin\\"
                                  "BokrinSetup.rollback\\1\t1\t18446744073709551616\n")},
      {"a field too many", U16("F\tC:\\Program Files\\Bokrin\\b.txt\textra\n")},
      {"an unknown step", U16("X\tC:\\Program Files\\Bokrin\\b.txt\n")},
  };
  for (const Case& c : cases) {
    Journal journal;
    ASSERT_TRUE(ParseJournal(JournalHeader(kInstall, kBackup) + first + c.line + last, &journal)) << c.what;
    ASSERT_EQ(journal.records.size(), 1u) << c.what;
    EXPECT_EQ(journal.records[0].path, U16("C:\\Program Files\\Bokrin\\a.txt")) << c.what;
  }
}

TEST(RollbackJournalText, OnlyAJournalWithAbsoluteFoldersIsOne) {
  struct Case {
    const char* what;
    WString text;
    bool journal;
  };
  const Case cases[] = {
      {"a drive", JournalHeader(U16("D:\\Bokrin\\"), U16("D:\\Bokrin\\r\\")), true},
      {"a share", JournalHeader(U16("\\\\server\\share\\Bokrin\\"), U16("\\\\server\\share\\Bokrin\\r\\")), true},
      {"empty", WString(), false},
      {"another header", U16("BokrinSetup rollback journal 2\nI\tD:\\Bokrin\\\nB\tD:\\Bokrin\\r\\\n"), false},
      {"the backup folder cut short", U16("BokrinSetup rollback journal 1\nI\tD:\\Bokrin\\\nB\tD:\\Bok"), false},
      {"a relative install directory", JournalHeader(U16("Bokrin\\"), U16("Bokrin\\r\\")), false},
      {"a drive-relative one", JournalHeader(U16("D:Bokrin\\"), U16("D:Bokrin\\r\\")), false},
      {"a rooted one without drive", JournalHeader(U16("\\Bokrin\\"), U16("\\Bokrin\\r\\")), false},
      {"a share without its name", JournalHeader(U16("\\\\server\\\\"), U16("\\\\server\\\\r\\")), false},
      {"no trailing backslash", JournalHeader(U16("D:\\Bokrin"), U16("D:\\Bokrin\\r\\")), false},
      {"steps back", JournalHeader(U16("D:\\Bokrin\\..\\"), U16("D:\\Bokrin\\..\\r\\")), false},
      {"a backup folder elsewhere", JournalHeader(U16("D:\\Bokrin\\"), U16("D:\\Other\\r\\")), false},
      {"the backup folder a file", JournalHeader(U16("D:\\Bokrin\\"), U16("D:\\Bokrin\\r")), false},
  };
  for (const Case& c : cases) {
    Journal journal;
    EXPECT_EQ(ParseJournal(c.text, &journal), c.journal) << c.what;
  }
}

}  // namespace
