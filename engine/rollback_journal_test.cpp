#include "engine/rollback_journal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/product_names.h"
#include "common/registry.h"
#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"
#include "common/testing/zip_writer.h"
#include "engine/install_locations.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FILETIME TimeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

uint64_t Ticks(const FILETIME& time) { return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

// A file of the previous release with its own time, so that a restored one is told apart.
void WriteOldFile(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(WriteFileBytes(path, bytes));
  const ScopedHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME old_time = {0x12345600, 0x01D00000};
  ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &old_time));
}

class RollbackJournalTest : public ::testing::Test {
 protected:
  // The setup log is opened once per process.
  static void SetUpTestSuite() { log_ = OpenOwnSetupLog(L"rollback_journal_test"); }

  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    install_dir_ = temp_.path() + L"Bokrin\\";
    backup_dir_ = install_dir_ + L"BokrinSetup.rollback\\";
    ASSERT_TRUE(CreateDirectoryW(install_dir_.c_str(), nullptr));
    ASSERT_FALSE(Exists(RollbackJournalPath())) << "a journal of another run is in the way";
    // As the installation records it before it extracts.
    RecordInstallDir(install_dir_);
  }
  void TearDown() override {
    DeleteFileW(RollbackJournalPath().c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
  }
  static void RecordInstallDir(const std::wstring& install_dir) {
    const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, kProductKey);
    RegWriteValue(key.Get(), kInstallDirValue, REG_SZ, install_dir);
  }

  // Leaves a journal as a killed installation would: the text as it stood when it died.
  void LeaveJournal(const WString& text) {
    const std::wstring path = RollbackJournalPath();
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(path, std::string(reinterpret_cast<const char*>(text.data()),
                                                 text.size() * sizeof(wchar_t))));
  }
  WString Header() const { return JournalHeader(install_dir_, backup_dir_); }
  // The record of `name` moved aside to backup `number`, as its backup stands now.
  WString MovedAside(const std::wstring& name, int number) const {
    const std::wstring backup = backup_dir_ + std::to_wstring(number);
    return JournalLine({JournalStep::kMovedAside, install_dir_ + name, backup, ReadFileBytes(backup).size(),
                        Ticks(TimeOf(backup))});
  }
  // A previous release's file, already moved aside as backup `number`, and its successor.
  void ReplacedFile(const std::wstring& name, int number, const std::string& old_bytes, const std::string& new_bytes) {
    CreateDirectoryW(backup_dir_.c_str(), nullptr);
    WriteOldFile(backup_dir_ + std::to_wstring(number), old_bytes);
    ASSERT_TRUE(WriteFileBytes(install_dir_ + name, new_bytes));
  }
  std::string Log() const { return ReadSharedFile(log_); }

  ScopedTempDir temp_;
  std::wstring install_dir_;
  std::wstring backup_dir_;
  static std::wstring log_;
};

std::wstring RollbackJournalTest::log_;

// A run that was killed half-way: what it created goes, what it replaced comes back with its
// own time, and what the user keeps in the install directory stays.
TEST_F(RollbackJournalTest, AKilledInstallationIsUndoneAtTheNextStart) {
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"books.txt", "the user's"));
  ReplacedFile(L"Bokrin.exe", 1, "old client", "new client");
  ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"plugins").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"plugins\\new.dll", "new"));
  ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"fonts").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"fonts\\mine.ttf", "the user put this here since"));
  LeaveJournal(Header() + MovedAside(L"Bokrin.exe", 1) +
               JournalLine({JournalStep::kCreatedFolder, install_dir_ + L"plugins\\", {}, 0, 0}) +
               JournalLine({JournalStep::kCreatedFile, install_dir_ + L"plugins\\new.dll", {}, 0, 0}) +
               JournalLine({JournalStep::kCreatedFolder, install_dir_ + L"fonts\\", {}, 0, 0}) +
               // The process died while it wrote this line.
               WString(L"F\t") + install_dir_ + L"fonts\\ne");
  const uint64_t old_time = Ticks(TimeOf(backup_dir_ + L"1"));

  RecoverUnfinishedInstallation();

  EXPECT_EQ(ReadFileBytes(install_dir_ + L"Bokrin.exe"), "old client");
  EXPECT_EQ(Ticks(TimeOf(install_dir_ + L"Bokrin.exe")), old_time);
  EXPECT_FALSE(Exists(install_dir_ + L"plugins"));
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"fonts\\mine.ttf"), "the user put this here since");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"books.txt"), "the user's");
  EXPECT_FALSE(Exists(backup_dir_));
  EXPECT_FALSE(Exists(RollbackJournalPath()));
  EXPECT_TRUE(HasLineEndingWith(Log(), L"Recovery: the installation into " + install_dir_ +
                                           L" did not finish; it is rolled back"));
  EXPECT_TRUE(HasLineEndingWith(Log(), L"Rollback of " + install_dir_ +
                                           L": 1 files removed, 1 folders removed, 1 files restored, "
                                           L"1 left as they are"));
}

// The machine changed since the run died: a backup that is gone or no longer the file that was
// moved aside is not put back, and a file that was never moved stays as it is.
TEST_F(RollbackJournalTest, OnlyABackupThatIsStillTheFileMovedAsideGoesBack) {
  ReplacedFile(L"changed.dll", 1, "old", "new");
  ReplacedFile(L"lost.dll", 2, "old", "new");
  WriteOldFile(install_dir_ + L"never-moved.dll", "old");
  const WString changed = MovedAside(L"changed.dll", 1);
  const WString lost = MovedAside(L"lost.dll", 2);
  // Moved aside as backup 3, but the rename never happened.
  const WString never_moved =
      JournalLine({JournalStep::kMovedAside, install_dir_ + L"never-moved.dll", backup_dir_ + L"3", 3,
                   Ticks(TimeOf(install_dir_ + L"never-moved.dll"))});
  LeaveJournal(Header() + changed + lost + never_moved);
  ASSERT_TRUE(WriteFileBytes(backup_dir_ + L"1", "changed since"));
  ASSERT_TRUE(DeleteFileW((backup_dir_ + L"2").c_str()));

  RecoverUnfinishedInstallation();

  EXPECT_EQ(ReadFileBytes(install_dir_ + L"changed.dll"), "new");
  EXPECT_EQ(ReadFileBytes(backup_dir_ + L"1"), "changed since");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"lost.dll"), "new");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"never-moved.dll"), "old");
  EXPECT_FALSE(Exists(RollbackJournalPath()));
  EXPECT_TRUE(HasLineEndingWith(Log(), L"Rollback: the backup " + backup_dir_ + L"1 of " + install_dir_ +
                                           L"changed.dll is missing or changed since, nothing restored"));
}

// The run died after its installation had finished: the new client stays, the backups go.
TEST_F(RollbackJournalTest, AFinishedInstallationOnlyLosesItsBackups) {
  ReplacedFile(L"Bokrin.exe", 1, "old client", "new client");
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"new.txt", "new"));
  LeaveJournal(Header() + MovedAside(L"Bokrin.exe", 1) +
               JournalLine({JournalStep::kCreatedFile, install_dir_ + L"new.txt", {}, 0, 0}) + JournalCommitLine());

  RecoverUnfinishedInstallation();

  EXPECT_EQ(ReadFileBytes(install_dir_ + L"Bokrin.exe"), "new client");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"new.txt"), "new");
  EXPECT_FALSE(Exists(backup_dir_));
  EXPECT_FALSE(Exists(RollbackJournalPath()));
}

// Whatever a journal's file holds, nothing outside the install directory it names is touched,
// and a file that is no journal is only discarded.
TEST_F(RollbackJournalTest, AJournalReachesNothingOutsideItsInstallDirectory) {
  const std::wstring outside = temp_.path() + L"outside.txt";
  ASSERT_TRUE(WriteFileBytes(outside, "not the installer's"));
  struct Case {
    const char* what;
    WString text;
  };
  const std::wstring other_dir = temp_.path() + L"Other\\";
  ASSERT_TRUE(CreateDirectoryW(other_dir.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(other_dir + L"inside.txt", "not the installer's either"));
  const Case cases[] = {
      {"a created file outside", Header() + JournalLine({JournalStep::kCreatedFile, outside, {}, 0, 0})},
      {"a directory other than the recorded one",
       JournalHeader(other_dir, other_dir + L"r\\") +
           JournalLine({JournalStep::kCreatedFile, other_dir + L"inside.txt", {}, 0, 0})},
      {"a step back out", Header() + L"F\t" + install_dir_ + L"..\\outside.txt\n"},
      {"no journal at all", WString(L"F\t") + outside + L"\n"},
  };
  for (const Case& c : cases) {
    LeaveJournal(c.text);
    RecoverUnfinishedInstallation();
    EXPECT_EQ(ReadFileBytes(outside), "not the installer's") << c.what;
    EXPECT_EQ(ReadFileBytes(other_dir + L"inside.txt"), "not the installer's either") << c.what;
    EXPECT_FALSE(Exists(RollbackJournalPath())) << c.what;
  }
}

// A second installer (command line "1") must not undo the one that is still writing.
TEST_F(RollbackJournalTest, TheJournalOfARunningInstallationIsLeftToIt) {
  RollbackJournal running;
  ASSERT_TRUE(running.Begin(install_dir_));
  ASSERT_EQ(running.Prepare(install_dir_ + L"new.txt", false), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"new.txt", "being written"));

  RecoverUnfinishedInstallation();

  EXPECT_EQ(ReadFileBytes(install_dir_ + L"new.txt"), "being written");
  EXPECT_TRUE(Exists(RollbackJournalPath()));
  running.RollBack();
  EXPECT_FALSE(Exists(install_dir_ + L"new.txt"));
  EXPECT_FALSE(Exists(RollbackJournalPath()));
}

// A journal that an earlier run left in the way is played back before the new one starts.
TEST_F(RollbackJournalTest, ANewJournalStartsAfterTheLeftOneIsPlayedBack) {
  ASSERT_TRUE(WriteFileBytes(install_dir_ + L"left.txt", "from the killed run"));
  LeaveJournal(Header() + JournalLine({JournalStep::kCreatedFile, install_dir_ + L"left.txt", {}, 0, 0}));

  RollbackJournal journal;
  ASSERT_TRUE(journal.Begin(install_dir_));
  EXPECT_FALSE(Exists(install_dir_ + L"left.txt"));
  journal.Commit();
  EXPECT_FALSE(Exists(RollbackJournalPath()));
}

// Undoing an installation into a directory it created leaves nothing, the directory included;
// a file in the way of a folder comes back once the folder has gone.
TEST_F(RollbackJournalTest, RollingBackRemovesTheInstallDirectoryItCreated) {
  const std::wstring fresh = temp_.path() + L"Fresh\\";
  RecordInstallDir(fresh);
  {
    RollbackJournal journal;
    ASSERT_TRUE(journal.Begin(fresh));
    ASSERT_EQ(journal.Prepare(fresh + L"a\\b\\c.txt", false), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(CreateDirectoryW(fresh.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((fresh + L"a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((fresh + L"a\\b").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(fresh + L"a\\b\\c.txt", "c"));
    // Ends without a commit, as a failed installation does.
  }
  EXPECT_FALSE(Exists(fresh));

  RecordInstallDir(install_dir_);
  WriteOldFile(install_dir_ + L"skin", "a file where the new release has a folder");
  {
    RollbackJournal journal;
    ASSERT_TRUE(journal.Begin(install_dir_));
    ASSERT_EQ(journal.Prepare(install_dir_ + L"skin\\", true), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(Exists(install_dir_ + L"skin"));
    ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"skin").c_str(), nullptr));
    journal.RollBack();
  }
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"skin"), "a file where the new release has a folder");
  EXPECT_FALSE(Exists(backup_dir_));
}

// Entries are recorded ahead in one write; what was planned but never reached is harmless to
// undo, and a file that changed between the plan and its turn comes back as it was at its turn.
TEST_F(RollbackJournalTest, PlannedEntriesAreUndoneAsFarAsTheyWereDone) {
  WriteOldFile(install_dir_ + L"reached.dll", "old reached");
  WriteOldFile(install_dir_ + L"changed.dll", "old");
  WriteOldFile(install_dir_ + L"never.dll", "old never");
  {
    RollbackJournal journal;
    ASSERT_TRUE(journal.Begin(install_dir_));
    journal.Plan({{install_dir_ + L"reached.dll", false},
                  {install_dir_ + L"changed.dll", false},
                  {install_dir_ + L"lib\\new.dll", false},
                  {install_dir_ + L"never.dll", false}});
    ASSERT_EQ(journal.Prepare(install_dir_ + L"reached.dll", false), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(WriteFileBytes(install_dir_ + L"reached.dll", "new"));
    WriteOldFile(install_dir_ + L"changed.dll", "changed after the plan");
    ASSERT_EQ(journal.Prepare(install_dir_ + L"changed.dll", false), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(WriteFileBytes(install_dir_ + L"changed.dll", "new"));
    ASSERT_EQ(journal.Prepare(install_dir_ + L"lib\\new.dll", false), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(CreateDirectoryW((install_dir_ + L"lib").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(install_dir_ + L"lib\\new.dll", "new"));
    journal.RollBack();
  }
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"reached.dll"), "old reached");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"changed.dll"), "changed after the plan");
  EXPECT_EQ(ReadFileBytes(install_dir_ + L"never.dll"), "old never");
  EXPECT_FALSE(Exists(install_dir_ + L"lib"));
  EXPECT_FALSE(Exists(backup_dir_));
}

}  // namespace
