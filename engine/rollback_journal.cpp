#include "engine/rollback_journal.h"

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "common/paths.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/install_locations.h"

namespace {

const wchar_t kBackupFolderName[] = L"BokrinSetup.rollback";
// A journal is a few hundred bytes per entry of the package; anything near this is no journal.
constexpr DWORD kLargestJournal = 64 * 1024 * 1024;

uint64_t Ticks(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t SizeOf(const WIN32_FILE_ATTRIBUTE_DATA& data) {
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Whether `data` is the file that a backup record describes: by its size and last write time.
bool Describes(const JournalRecord& record, const WIN32_FILE_ATTRIBUTE_DATA& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && SizeOf(data) == record.size &&
         Ticks(data.ftLastWriteTime) == record.write_time;
}

// The file at `path` as a backup record knows it, or false when there is no such file.
bool FileMatches(const std::wstring& path, const JournalRecord& record) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && Describes(record, data);
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool IsMissing(DWORD attributes) { return attributes == INVALID_FILE_ATTRIBUTES; }

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

// A backup folder name that nothing uses yet, so that backups an earlier run had to leave
// behind are never mixed with this run's.
std::wstring FreeBackupDir(const std::wstring& install_dir) {
  std::wstring candidate = install_dir + kBackupFolderName + L"\\";
  for (int number = 2; number < 100 && !IsMissing(AttributesOf(candidate)); ++number) {
    candidate = install_dir + kBackupFolderName + L"." + std::to_wstring(number) + L"\\";
  }
  return candidate;
}

struct PlaybackCounts {
  unsigned removed_files = 0;
  unsigned removed_folders = 0;
  unsigned restored = 0;
  unsigned left = 0;
};

void UndoCreatedFile(const JournalRecord& record, PlaybackCounts* counts) {
  const DWORD attributes = AttributesOf(record.path);
  if (IsMissing(attributes)) return;
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    SetupLog(L"Rollback: %ls is no longer the file that was created, left as it is", record.path.c_str());
    ++counts->left;
  } else if (ForceDeleteFile(record.path.c_str())) {
    ++counts->removed_files;
  } else {
    LogSystemFailure(L"Rollback", LastError(), L"%ls cannot be removed", record.path.c_str());
    ++counts->left;
  }
}

// A folder that now holds something the installation did not write (a user's file) stays.
void UndoCreatedFolder(const JournalRecord& record, PlaybackCounts* counts) {
  if (RemoveDirectoryW(record.path.c_str())) {
    ++counts->removed_folders;
    return;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
  LogSystemFailure(L"Rollback", SystemCode::Win32Error(error), L"folder %ls stays", record.path.c_str());
  ++counts->left;
}

// The backup goes back only while it is still the file that was moved aside; whatever the
// installation put in its place goes first.
void UndoMoveAside(const JournalRecord& record, PlaybackCounts* counts) {
  if (!FileMatches(record.backup, record)) {
    if (IsMissing(AttributesOf(record.backup)) && FileMatches(record.path, record)) return;  // never moved
    SetupLog(L"Rollback: the backup %ls of %ls is missing or changed since, nothing restored", record.backup.c_str(),
             record.path.c_str());
    ++counts->left;
    return;
  }
  const DWORD attributes = AttributesOf(record.path);
  if (!IsMissing(attributes)) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !ForceDeleteFile(record.path.c_str())) {
      LogSystemFailure(L"Rollback", LastError(), L"%ls is in the way of its backup %ls, which stays",
                       record.path.c_str(), record.backup.c_str());
      ++counts->left;
      return;
    }
  }
  if (!MoveFileExW(record.backup.c_str(), record.path.c_str(), 0)) {
    LogSystemFailure(L"Rollback", LastError(), L"the backup %ls cannot go back to %ls", record.backup.c_str(),
                     record.path.c_str());
    ++counts->left;
    return;
  }
  ++counts->restored;
}

void RemoveBackupFolder(const Journal& journal) {
  const std::wstring folder = WithoutTrailingBackslash(journal.backup_dir);
  if (!RemoveDirectoryW(folder.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
      GetLastError() != ERROR_PATH_NOT_FOUND) {
    LogSystemFailure(L"Rollback", LastError(), L"the backup folder %ls stays", folder.c_str());
  }
}

void PlayBack(const Journal& journal) {
  PlaybackCounts counts;
  for (auto record = journal.records.rbegin(); record != journal.records.rend(); ++record) {
    switch (record->step) {
      case JournalStep::kCreatedFile: UndoCreatedFile(*record, &counts); break;
      case JournalStep::kCreatedFolder: UndoCreatedFolder(*record, &counts); break;
      case JournalStep::kMovedAside: UndoMoveAside(*record, &counts); break;
    }
  }
  RemoveBackupFolder(journal);
  SetupLog(L"Rollback of %ls: %u files removed, %u folders removed, %u files restored, %u left as they are",
           journal.install_dir.c_str(), counts.removed_files, counts.removed_folders, counts.restored, counts.left);
}

// After a finished installation. A backup that cannot be deleted now (a program still has it
// open) goes at the next restart.
void DiscardBackups(const Journal& journal) {
  for (const JournalRecord& record : journal.records) {
    if (record.step != JournalStep::kMovedAside || !FileMatches(record.backup, record)) continue;
    if (!ForceDeleteFile(record.backup.c_str()) &&
        !MoveFileExW(record.backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
      LogSystemFailure(L"Rollback", LastError(), L"the backup %ls stays", record.backup.c_str());
    }
  }
  RemoveBackupFolder(journal);
}

// Marks an open journal for deletion and closes it; false, logged, when it stays. Its folder
// goes too once nothing else is in it, so that a run leaves nothing behind there.
bool DeleteJournal(ScopedHandle* file) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  const bool deleted = SetFileInformationByHandle(file->Get(), FileDispositionInfo, &disposition, sizeof disposition);
  if (!deleted) LogSystemFailure(L"Rollback", LastError(), L"the journal cannot be deleted");
  file->Reset();
  const std::wstring path = RollbackJournalPath();
  RemoveDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str());
  return deleted;
}

bool ReadJournalText(HANDLE file, WString* text) {
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > kLargestJournal) return false;
  std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    return false;
  }
  text->assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
  return true;
}

}  // namespace

std::wstring RollbackJournalPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return std::wstring();
  }
  return std::wstring(folder) + L"\\BokrinSetup\\Rollback.journal";
}

RollbackJournal::~RollbackJournal() {
  if (file_) RollBack();
}

bool RollbackJournal::Begin(const std::wstring& install_dir) {
  const std::wstring path = RollbackJournalPath();
  if (path.empty()) {
    SetupLog(L"Rollback: the folder of the journal is unknown");
    return false;
  }
  // A journal left by an earlier run is played back before a new one takes its place.
  for (int attempt = 0; !file_; ++attempt) {
    // Made each time: playing a journal back removes its folder when that is left empty.
    CreateDirectoryTree(path.substr(0, path.find_last_of(L'\\')).c_str());
    // Nobody may write the journal or take it away while it is kept: only reading it is shared.
    file_.Reset(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (file_) break;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt > 0) {
      LogSystemFailure(L"Rollback", SystemCode::Win32Error(error), L"the journal %ls cannot be started", path.c_str());
      return false;
    }
    RecoverUnfinishedInstallation();
  }
  journal_ = Journal();
  journal_.install_dir = install_dir;
  journal_.backup_dir = FreeBackupDir(install_dir);
  existing_folders_.clear();
  planned_.clear();
  pending_moves_.clear();
  backups_ = 0;
  backup_folder_made_ = false;
  unwritten_ = JournalHeader(journal_.install_dir, journal_.backup_dir);
  if (!WriteRecorded()) {
    DeleteJournal(&file_);
    return false;
  }
  SetupLog(L"Rollback journal %ls started, backups go to %ls", path.c_str(), journal_.backup_dir.c_str());
  return true;
}

bool RollbackJournal::IsBackupPath(const std::wstring& path) const {
  const std::wstring& folder = journal_.backup_dir;
  const std::wstring as_folder = path.empty() || path.back() == L'\\' ? path : path + L'\\';
  return as_folder.size() >= folder.size() &&
         CompareStringOrdinal(as_folder.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

bool RollbackJournal::WriteRecorded() {
  if (unwritten_.empty()) return true;
  const DWORD bytes = static_cast<DWORD>(unwritten_.size() * sizeof(wchar_t));
  DWORD written = 0;
  if (!WriteFile(file_.Get(), unwritten_.data(), bytes, &written, nullptr) || written != bytes) {
    LogSystemFailure(L"Rollback", LastError(), L"the journal cannot be written");
    return false;
  }
  unwritten_.clear();
  return true;
}

void RollbackJournal::Record(const JournalRecord& record) {
  unwritten_ += JournalLine(record);
  journal_.records.push_back(record);
}

void RollbackJournal::RecordMoveAside(const std::wstring& path, const WIN32_FILE_ATTRIBUTE_DATA& data) {
  const JournalRecord record = {JournalStep::kMovedAside, path, journal_.backup_dir + std::to_wstring(++backups_),
                                SizeOf(data),
                                Ticks(data.ftLastWriteTime)};
  Record(record);
  pending_moves_[path] = record;
}

DWORD RollbackJournal::PlanFolder(const std::wstring& folder) {
  if (existing_folders_.count(folder) != 0) return ERROR_SUCCESS;
  const std::wstring path = WithoutTrailingBackslash(folder);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      existing_folders_.insert(folder);
      return ERROR_SUCCESS;
    }
    // A file of an earlier installation where a folder goes now is replaced, as files are.
    RecordMoveAside(path, data);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) {
    return GetLastError();
  }
  Record({JournalStep::kCreatedFolder, folder, {}, 0, 0});
  existing_folders_.insert(folder);
  return ERROR_SUCCESS;
}

DWORD RollbackJournal::PlanEntry(const std::wstring& target, bool folder) {
  const std::wstring path = WithoutTrailingBackslash(target);
  const std::wstring& root = journal_.install_dir;
  if (path.size() < root.size() || path.compare(0, root.size(), root) != 0 || IsBackupPath(path)) {
    return ERROR_INVALID_NAME;
  }
  // The folders on the way, from the install directory itself down.
  for (size_t end = root.size() - 1; end != std::wstring::npos && end < path.size(); end = path.find(L'\\', end + 1)) {
    const DWORD error = PlanFolder(path.substr(0, end + 1));
    if (error != ERROR_SUCCESS) return error;
  }
  if (folder) {
    const DWORD error = PlanFolder(path + L'\\');
    if (error == ERROR_SUCCESS) planned_.insert(path + L'\\');
    return error;
  }
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    // Only a file that surely is not there may be recorded as created: rolling that back deletes it.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return error;
    Record({JournalStep::kCreatedFile, path, {}, 0, 0});
  } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    // A file that is moved aside needs no record of its own: undoing the move removes its successor.
    RecordMoveAside(path, data);
  }
  // A file entry over a folder fails when it is written, with nothing changed.
  planned_.insert(path);
  return ERROR_SUCCESS;
}

void RollbackJournal::Plan(const std::vector<PlannedEntry>& entries) {
  if (!file_) return;
  // An entry that cannot be planned is tried again, and its error met, when its turn comes.
  for (const PlannedEntry& entry : entries) PlanEntry(entry.target, entry.folder);
  WriteRecorded();
}

DWORD RollbackJournal::MoveAside(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    // Gone since it was planned: what takes its place is new.
    pending_moves_.erase(path);
    Record({JournalStep::kCreatedFile, path, {}, 0, 0});
    return WriteRecorded() ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
  }
  if (!Describes(pending_moves_[path], data)) {
    // Changed since it was planned: the backup must be known by what it is now.
    RecordMoveAside(path, data);
    if (!WriteRecorded()) return ERROR_WRITE_FAULT;
  }
  if (!backup_folder_made_) {
    const std::wstring folder = WithoutTrailingBackslash(journal_.backup_dir);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
      const DWORD error = GetLastError();
      LogSystemFailure(L"Rollback", SystemCode::Win32Error(error), L"the backup folder %ls cannot be made",
                       folder.c_str());
      return error;
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    backup_folder_made_ = true;
  }
  // A rename: the file keeps its attributes and times, and nothing is copied. It fails while
  // another program holds the file without sharing its deletion, which the caller waits out.
  if (!MoveFileExW(path.c_str(), pending_moves_[path].backup.c_str(), 0)) return GetLastError();
  pending_moves_.erase(path);
  return ERROR_SUCCESS;
}

DWORD RollbackJournal::Prepare(const std::wstring& target, bool folder) {
  if (!file_) return ERROR_INVALID_HANDLE;
  const std::wstring path = WithoutTrailingBackslash(target);
  if (planned_.count(folder ? path + L'\\' : path) == 0) {
    const DWORD error = PlanEntry(path, folder);
    if (error != ERROR_SUCCESS) return error;
    if (!WriteRecorded()) return ERROR_WRITE_FAULT;
  }
  // Files in the way of the entry's folders, then the file it replaces.
  for (size_t end = journal_.install_dir.size() - 1; end != std::wstring::npos; end = path.find(L'\\', end + 1)) {
    const std::wstring folder = path.substr(0, end);
    if (pending_moves_.count(folder) == 0) continue;
    const DWORD error = MoveAside(folder);
    if (error != ERROR_SUCCESS) return error;
  }
  return pending_moves_.count(path) != 0 ? MoveAside(path) : ERROR_SUCCESS;
}

void RollbackJournal::Commit() {
  if (!file_) return;
  // Once the journal says so, nothing rolls this installation back, not even after a crash
  // while the backups go; without that line, deleting backups could leave a mixed client.
  unwritten_ += JournalCommitLine();
  if (WriteRecorded()) {
    DiscardBackups(journal_);
  } else {
    SetupLog(L"Rollback: the backups in %ls stay", journal_.backup_dir.c_str());
  }
  DeleteJournal(&file_);
}

void RollbackJournal::RollBack() {
  if (!file_) return;
  PlayBack(journal_);
  DeleteJournal(&file_);
}

void RecoverUnfinishedInstallation() {
  const std::wstring path = RollbackJournalPath();
  if (path.empty()) return;
  // Not shared: a running installation keeps its journal open, and is left to finish.
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
    LogSystemFailure(L"Recovery", SystemCode::Win32Error(error), L"the journal %ls is left alone", path.c_str());
    return;
  }
  BY_HANDLE_FILE_INFORMATION information = {};
  WString text;
  Journal journal;
  if (!GetFileInformationByHandle(file.Get(), &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !ReadJournalText(file.Get(), &text) ||
      !ParseJournal(text, &journal)) {
    SetupLog(L"Recovery: %ls is no journal that can be played back; discarded", path.c_str());
    DeleteJournal(&file);
    return;
  }
  // Whoever could write where the journal lives must not steer the installer's rights: only a
  // journal of the install directory that the machine's product key records is played back.
  const std::wstring recorded = ReadRecordedLocations().install_dir;
  if (recorded.size() != journal.install_dir.size() ||
      CompareStringOrdinal(recorded.c_str(), static_cast<int>(recorded.size()), journal.install_dir.c_str(),
                           static_cast<int>(journal.install_dir.size()), TRUE) != CSTR_EQUAL) {
    SetupLog(L"Recovery: the journal is of %ls, not of the recorded install directory \"%ls\"; discarded",
             journal.install_dir.c_str(), recorded.c_str());
    DeleteJournal(&file);
    return;
  }
  if (journal.committed) {
    SetupLog(L"Recovery: the installation into %ls had finished; its backups are deleted", journal.install_dir.c_str());
    DiscardBackups(journal);
  } else {
    SetupLog(L"Recovery: the installation into %ls did not finish; it is rolled back", journal.install_dir.c_str());
    PlayBack(journal);
  }
  DeleteJournal(&file);
}
