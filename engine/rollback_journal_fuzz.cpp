// The rollback journal as a later run reads it: the input is UTF-16LE text. Whatever it says,
// every record the reader keeps must stay inside the install directory it names, a backup
// inside the backup folder, and the records must read back the same once written again.
#include <cstddef>
#include <cstdint>

#include "common/testing/fuzz_check.h"
#include "engine/rollback_journal_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WString text;
  for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<Utf16Char>(data[i] | (data[i + 1] << 8));
  Journal journal;
  if (!ParseJournal(text, &journal)) return 0;
  FuzzCheck(IsInsideFolder(journal.install_dir, journal.backup_dir), "the backup folder is inside");
  WString again = JournalHeader(journal.install_dir, journal.backup_dir);
  for (const JournalRecord& record : journal.records) {
    FuzzCheck(IsInsideFolder(journal.install_dir, record.path) ||
                  (record.step == JournalStep::kCreatedFolder && record.path == journal.install_dir),
              "a record stays inside the install directory");
    FuzzCheck(!IsInsideFolder(journal.backup_dir, record.path), "a record keeps out of the backup folder");
    if (record.step == JournalStep::kMovedAside) {
      FuzzCheck(IsInsideFolder(journal.backup_dir, record.backup), "a backup stays inside the backup folder");
    }
    again += JournalLine(record);
  }
  if (journal.committed) again += JournalCommitLine();
  Journal reread;
  FuzzCheck(ParseJournal(again, &reread), "a journal written again is read");
  FuzzCheck(reread.records == journal.records && reread.committed == journal.committed,
            "a journal written again reads the same");
  return 0;
}
