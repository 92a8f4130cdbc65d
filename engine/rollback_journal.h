#pragma once
// Keeps the previous client intact until the new one is complete. Before the extraction creates
// or replaces anything in the install directory, the journal records it, written through to
// disk; a file that is replaced is first moved aside into a backup folder inside the install
// directory (a rename, so on the same volume, with its attributes and times). A failed or
// cancelled installation plays the journal back; a finished one deletes the backups.
//
// The journal lives in one place per machine (RollbackJournalPath), so that the next run finds
// what a killed one left without knowing its install directory: the install directory is
// per-machine, and the next run may be another administrator's, with another %TEMP%.
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "engine/rollback_journal_text.h"

// "%ProgramData%\BokrinSetup\Rollback.journal"; empty when the folder is unknown.
std::wstring RollbackJournalPath();

// One entry of the package as the journal plans for it.
struct PlannedEntry {
  std::wstring target;  // inside the install directory, "\" separators
  bool folder;
};

class RollbackJournal {
 public:
  RollbackJournal() = default;
  RollbackJournal(const RollbackJournal&) = delete;
  RollbackJournal& operator=(const RollbackJournal&) = delete;
  // An installation that neither finished nor was rolled back is rolled back here.
  ~RollbackJournal();

  // Starts the journal of an installation into `install_dir` (ending with a backslash). A
  // journal that an earlier run left is recovered first. False, logged, when no journal can be
  // written: nothing may then be changed in the install directory.
  bool Begin(const std::wstring& install_dir);
  // Records what the next entries will do, in one write to disk instead of one per entry: each
  // write through to disk costs a flush of the disk's cache. What is planned but never done is
  // harmless to play back.
  void Plan(const std::vector<PlannedEntry>& entries);
  // Before an entry is written to `target`: records it unless it was planned, then moves aside
  // the file it replaces and any file in the way of its folders. ERROR_SUCCESS, or the Win32
  // error that stopped it, such as a sharing violation while another program holds the file.
  DWORD Prepare(const std::wstring& target, bool folder);
  // Whether `path` is the backup folder or inside it, as Windows compares names: no entry may
  // write there.
  bool IsBackupPath(const std::wstring& path) const;

  // The installation has finished: the backups go, and so does the journal.
  void Commit();
  // Undoes everything recorded, newest first, and deletes the journal.
  void RollBack();

 private:
  // Records are kept in memory until WriteRecorded puts them on disk, before anything they
  // announce is done.
  void Record(const JournalRecord& record);
  bool WriteRecorded();
  void RecordMoveAside(const std::wstring& path, const WIN32_FILE_ATTRIBUTE_DATA& data);
  DWORD PlanFolder(const std::wstring& folder);
  DWORD PlanEntry(const std::wstring& target, bool folder);
  DWORD MoveAside(const std::wstring& path);

  ScopedHandle file_;
  Journal journal_;
  WString unwritten_;
  // Folders known to exist or recorded as created, so that each is looked at once.
  std::set<std::wstring> existing_folders_;
  // Targets whose records are on disk (folders with their trailing backslash).
  std::set<std::wstring> planned_;
  // Files recorded as moved aside that are still where they were.
  std::map<std::wstring, JournalRecord> pending_moves_;
  unsigned backups_ = 0;
  bool backup_folder_made_ = false;
};

// At start-up, before anything else touches the install directory: an installation that a
// killed process left is rolled back (or, if it had finished, its backups deleted) as far as
// the files still are what the journal says, and the journal is discarded. Only a journal of
// the install directory recorded in the machine's product key is played back; any other is
// discarded. Logged; nothing happens when there is no journal or a running installation holds it.
void RecoverUnfinishedInstallation();
