#pragma once
// The rollback journal as text: what an installation did to the install directory, in the
// order it did it, so that a later run can undo it knowing nothing else. One record per line
// of UTF-16 text, fields separated by tabs; Windows paths hold neither a tab nor a line break.
//
//   BokrinSetup rollback journal 1
//   I <tab> install directory            (with its trailing backslash)
//   B <tab> backup folder                (inside the install directory, ditto)
//   D <tab> folder                       about to be created (may be the install directory)
//   F <tab> file                         about to be created
//   R <tab> file <tab> backup <tab> size <tab> last write time
//                                        about to be moved aside into the backup folder
//   C                                    the installation has finished; keep everything
#include <cstdint>
#include <vector>

#include "common/utf16.h"

enum class JournalStep { kCreatedFolder, kCreatedFile, kMovedAside };

struct JournalRecord {
  JournalStep step = JournalStep::kCreatedFile;
  WString path;
  // kMovedAside only: where the file went, and its size and last write time (FILETIME ticks)
  // when it was moved, by which the backup is known again.
  WString backup;
  uint64_t size = 0;
  uint64_t write_time = 0;

  bool operator==(const JournalRecord& other) const {
    return step == other.step && path == other.path && backup == other.backup && size == other.size &&
           write_time == other.write_time;
  }
};

struct Journal {
  WString install_dir;
  WString backup_dir;
  std::vector<JournalRecord> records;
  bool committed = false;
};

// The journal's first lines: the header and the two folders.
WString JournalHeader(const WString& install_dir, const WString& backup_dir);
WString JournalLine(const JournalRecord& record);
WString JournalCommitLine();

// Reads what a journal's text says. False when it is no journal: no header, or folders that
// are not absolute paths (a drive or a share) ending in a backslash, or a backup folder that
// is not inside the install directory. The records end at the first line that is cut short
// (the process died while writing it), cannot be read, or names a path outside the install
// directory (only a created folder may be the install directory itself) or a backup outside
// the backup folder: nothing after such a line is trusted.
bool ParseJournal(const WString& text, Journal* journal);

// True when `path` lies strictly inside `folder` (which ends with a backslash) and none of its
// remaining steps is empty, "." or "..", so that undoing a record cannot reach outside.
bool IsInsideFolder(const WString& folder, const WString& path);
