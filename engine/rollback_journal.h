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

#include <set>
#include <string>

#include "common/scoped_handle.h"
#include "engine/rollback_journal_text.h"

// "%ProgramData%\BokrinSetup\Rollback.journal"; empty when the folder is unknown.
std::wstring RollbackJournalPath();

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
  // Before an entry is written to `target` (inside the install directory, "\" separators):
  // records the folders that will be created on its way, and the file or folder itself; an
  // existing file in its place is recorded and moved aside. ERROR_SUCCESS, or the Win32 error
  // that stopped it (logged), such as a sharing violation while another program holds the file.
  DWORD Prepare(const std::wstring& target, bool folder);
  // The backup folder, which no entry may write into.
  const std::wstring& BackupDir() const { return journal_.backup_dir; }

  // The installation has finished: the backups go, and so does the journal.
  void Commit();
  // Undoes everything recorded, newest first, and deletes the journal.
  void RollBack();

 private:
  bool Write(const WString& text);
  bool Record(const JournalRecord& record);
  DWORD RecordMissingFolders(const std::wstring& folder);
  DWORD PrepareFolder(const std::wstring& folder);
  DWORD MoveAside(const std::wstring& path);
  void Close();

  ScopedHandle file_;
  Journal journal_;
  // Folders known to exist, so that each is looked at once.
  std::set<std::wstring> existing_folders_;
  unsigned backups_ = 0;
  bool backup_folder_made_ = false;
};

// At start-up, before anything else touches the install directory: an installation that a
// killed process left is rolled back (or, if it had finished, its backups deleted) as far as
// the files still are what the journal says, and the journal is discarded. Logged; nothing
// happens when there is no journal or a running installation holds it.
void RecoverUnfinishedInstallation();
