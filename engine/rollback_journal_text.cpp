#include "engine/rollback_journal_text.h"

#include <cstddef>

namespace {

const Utf16Char kMagic[] = U16("BokrinSetup rollback journal 1");
constexpr Utf16Char kTab = U16('\t');
constexpr Utf16Char kNewLine = U16('\n');
constexpr Utf16Char kBackslash = U16('\\');

WString Decimal(uint64_t value) {
  WString digits;
  do {
    digits.insert(digits.begin(), static_cast<Utf16Char>(U16('0') + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

bool ParseDecimal(const WString& text, uint64_t* value) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t result = 0;
  for (Utf16Char ch : text) {
    if (ch < U16('0') || ch > U16('9')) return false;
    const uint64_t digit = static_cast<uint64_t>(ch - U16('0'));
    if (result > (UINT64_MAX - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

std::vector<WString> SplitFields(const WString& line) {
  std::vector<WString> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find(kTab, start);
    fields.push_back(line.substr(start, tab == WString::npos ? WString::npos : tab - start));
    if (tab == WString::npos) return fields;
    start = tab + 1;
  }
}

bool IsLetter(Utf16Char ch) { return (ch >= U16('A') && ch <= U16('Z')) || (ch >= U16('a') && ch <= U16('z')); }

// "X:\" or "\\server\share\", ending with a backslash, with no empty, "." or ".." step.
bool IsAbsoluteFolder(const WString& folder) {
  if (folder.size() < 3 || folder.back() != kBackslash) return false;
  if (IsLetter(folder[0]) && folder[1] == U16(':') && folder[2] == kBackslash) {
    return folder.size() == 3 || IsInsideFolder(folder.substr(0, 3), folder.substr(0, folder.size() - 1));
  }
  if (folder[0] != kBackslash || folder[1] != kBackslash) return false;
  // The server and the share are the folder's first two steps, and must be there.
  const size_t server_end = folder.find(kBackslash, 2);
  if (server_end == WString::npos || server_end == 2 || server_end + 1 >= folder.size() - 1) return false;
  return IsInsideFolder(folder.substr(0, server_end + 1), folder.substr(0, folder.size() - 1));
}

bool ParseRecord(const std::vector<WString>& fields, const Journal& journal, JournalRecord* record) {
  if (fields[0] == U16("D") || fields[0] == U16("F")) {
    if (fields.size() != 2) return false;
    record->step = fields[0] == U16("D") ? JournalStep::kCreatedFolder : JournalStep::kCreatedFile;
    record->path = fields[1];
  } else if (fields[0] == U16("R")) {
    if (fields.size() != 5 || !ParseDecimal(fields[3], &record->size) ||
        !ParseDecimal(fields[4], &record->write_time) || !IsInsideFolder(journal.backup_dir, fields[2])) {
      return false;
    }
    record->step = JournalStep::kMovedAside;
    record->path = fields[1];
    record->backup = fields[2];
  } else {
    return false;
  }
  // The backup folder is the journal's own: nothing of the installation is created there.
  // The installation may have created the install directory itself.
  if (record->step == JournalStep::kCreatedFolder && record->path == journal.install_dir) return true;
  if (!IsInsideFolder(journal.install_dir, record->path)) return false;
  const WString as_folder = record->path.back() == kBackslash ? record->path : record->path + kBackslash;
  return as_folder != journal.backup_dir && !IsInsideFolder(journal.backup_dir, record->path);
}

}  // namespace

bool IsInsideFolder(const WString& folder, const WString& path) {
  if (folder.empty() || folder.back() != kBackslash || path.size() <= folder.size() ||
      path.compare(0, folder.size(), folder) != 0) {
    return false;
  }
  size_t start = folder.size();
  for (;;) {
    size_t end = path.find(kBackslash, start);
    // A folder's own trailing backslash ends its last step.
    if (end == WString::npos) end = path.size();
    const WString step = path.substr(start, end - start);
    if (step.empty() || step == U16(".") || step == U16("..") || step.find(U16('/')) != WString::npos) return false;
    if (end + 1 >= path.size()) return true;
    start = end + 1;
  }
}

WString JournalHeader(const WString& install_dir, const WString& backup_dir) {
  return WString(kMagic) + kNewLine + U16("I") + kTab + install_dir + kNewLine + U16("B") + kTab + backup_dir +
         kNewLine;
}

WString JournalLine(const JournalRecord& record) {
  switch (record.step) {
    case JournalStep::kCreatedFolder:
      return U16("D") + WString(1, kTab) + record.path + kNewLine;
    case JournalStep::kCreatedFile:
      return U16("F") + WString(1, kTab) + record.path + kNewLine;
    case JournalStep::kMovedAside:
      break;
  }
  return U16("R") + WString(1, kTab) + record.path + kTab + record.backup + kTab + Decimal(record.size) + kTab +
         Decimal(record.write_time) + kNewLine;
}

WString JournalCommitLine() { return WString(U16("C")) + kNewLine; }

bool ParseJournal(const WString& text, Journal* journal) {
  *journal = Journal();
  std::vector<WString> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(kNewLine, start);
    // What follows the last line break was being written when the writer stopped.
    if (end == WString::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (lines.size() < 3 || lines[0] != kMagic) return false;
  const std::vector<WString> install = SplitFields(lines[1]);
  const std::vector<WString> backup = SplitFields(lines[2]);
  if (install.size() != 2 || install[0] != U16("I") || backup.size() != 2 || backup[0] != U16("B")) return false;
  if (!IsAbsoluteFolder(install[1]) || !IsInsideFolder(install[1], backup[1]) || backup[1].back() != kBackslash) {
    return false;
  }
  journal->install_dir = install[1];
  journal->backup_dir = backup[1];
  for (size_t number = 3; number < lines.size(); ++number) {
    const std::vector<WString> fields = SplitFields(lines[number]);
    if (fields.size() == 1 && fields[0] == U16("C")) {
      journal->committed = true;
      break;
    }
    JournalRecord record;
    if (!ParseRecord(fields, *journal, &record)) break;
    journal->records.push_back(record);
  }
  return true;
}
