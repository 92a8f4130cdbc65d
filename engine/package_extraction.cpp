#include "engine/package_extraction.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/product_names.h"
#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "common/text_convert.h"
#include "engine/archive_reader.h"
#include "engine/entry_names.h"
#include "engine/file_holders.h"
#include "engine/held_file_text.h"
#include "engine/install_path_folders.h"
#include "engine/install_path_safety_win.h"
#include "engine/progress_milestones.h"
#include "engine/rollback_journal.h"

namespace {

const wchar_t kUnreadableStatus[] = L"打开压缩包失败，请重新下载！";
const wchar_t kUnreadableError[] = L"下载失败，请检查网络后重新下载！";
const wchar_t kNoSpaceStatus[] = L"磁盘空间不足，无法解压安装包！";
const wchar_t kNoSpaceError[] = L"安装目录所在磁盘空间不足，请清理磁盘或更换安装目录后重试！";
const wchar_t kReplaceFailedStatus[] = L"文件替换失败，请退出Bokrin阅读客户端后再试！";
const wchar_t kReplaceFailedError[] = L"请退出“Bokrin阅读”后重新安装";

// The extraction's own share of the scale: from the download's end to just below its own.
constexpr int32_t kProgressValues = kProgressExtracted - kProgressDownloaded - 1;

ExitCode ReportNoSpace(InstallObserver& observer) {
  observer.OnStatus(kNoSpaceStatus);
  observer.OnError(ErrorMode::kBackToStart, kNoSpaceError);
  return ExitCode::kInstallDirUnwritable;
}

// The messages of a package that cannot be opened, which send the user back to the first page;
// `code` says what was at fault.
ExitCode ReportCannotOpen(InstallObserver& observer, ExitCode code) {
  observer.OnStatus(kUnreadableStatus);
  observer.OnError(ErrorMode::kBackToStart, kUnreadableError);
  return code;
}

ExitCode ReportUnreadablePackage(InstallObserver& observer) {
  return ReportCannotOpen(observer, ExitCode::kPackageRefused);
}

// The path goes in the system code page while the wizard reads the whole text as code page
// 936; on a Chinese system the two are the same.
ExitCode ReportUnwritableFile(InstallObserver& observer, const std::wstring& target) {
  observer.OnNarrowStatus(WideToCodePage(CP_ACP, target) + WideToCodePage(kStatusCodePage, kReplaceFailedStatus));
  observer.OnError(ErrorMode::kQuit, kReplaceFailedError);
  return ExitCode::kInstallDirUnwritable;
}

// Another program keeps the file open. The user is told which file and, when the system knows
// it, which program, and starts again once it is closed.
ExitCode ReportHeldFile(InstallObserver& observer, const std::wstring& entry_name, const std::wstring& target) {
  observer.OnError(ErrorMode::kBackToStart, KeepForProcess(HeldFileErrorText(entry_name, ProgramsHoldingFile(target))));
  return ExitCode::kInstallDirUnwritable;
}

std::wstring ToWide(const char* ascii) { return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii)); }

// A refused name for the log: control characters, zero included, are shown as \xNN, so that
// the line shows the whole name.
std::wstring LoggedName(const std::wstring& name) {
  std::wstring shown;
  for (wchar_t ch : name) {
    if (ch >= 0x20) {
      shown += ch;
      continue;
    }
    wchar_t escaped[8];
    swprintf(escaped, 8, L"\\x%02X", static_cast<unsigned>(ch));
    shown += escaped;
  }
  return shown;
}

// The package as it lies on disk, opened so that nobody may write, rename or delete it while
// it is held; a link is not followed but refused. Null on failure, which is logged.
ScopedHandle OpenPackageFile(const std::wstring& path) {
  ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    LogSystemFailure(L"Extraction", LastError(), L"the package %ls cannot be opened", path.c_str());
    return ScopedHandle();
  }
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(file.Get(), &information)) {
    LogSystemFailure(L"Extraction", LastError(), L"the package %ls cannot be examined", path.c_str());
    return ScopedHandle();
  }
  if ((information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    SetupLog(L"Extraction: the package %ls is a link or a folder (attributes 0x%lx)", path.c_str(),
             information.dwFileAttributes);
    return ScopedHandle();
  }
  return file;
}

// Reads the whole file through the handle; false on a read error, which is logged.
bool DigestOfFile(HANDLE file, Md5Digest* digest) {
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
    LogSystemFailure(L"Extraction", LastError(), L"the package cannot be read");
    return false;
  }
  Md5 md5;
  std::vector<char> block(1 << 16);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &read, nullptr)) {
      LogSystemFailure(L"Extraction", LastError(), L"the package cannot be read");
      return false;
    }
    if (read == 0) break;
    md5.Update(block.data(), read);
  }
  *digest = md5.Finish();
  return true;
}

// The install directory or, while it does not exist yet, its nearest existing parent.
std::wstring ExistingFolderOf(std::wstring directory) {
  while (!directory.empty() && !PathExists(directory, true)) {
    if (directory.back() == L'\\' || directory.back() == L'/') directory.pop_back();
    const size_t separator = directory.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return std::wstring();
    directory.resize(separator + 1);
  }
  return directory;
}

// A file that another program holds is often let go of within moments (a scanner, an indexer,
// a client on its way out), so it is tried again for about this long before the user is asked.
constexpr ULONGLONG kHeldFileWaitMs = 2000;
constexpr DWORD kHeldFileRetryStepMs = 100;

bool IsHeldByAnotherProgram(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

bool IsOutOfSpace(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// The folder that holds the file `target` ("\" separated).
std::wstring FolderOf(const std::wstring& target) { return target.substr(0, target.find_last_of(L'\\') + 1); }

// Records the entry in the journal (moving aside the file it replaces), then writes it; tried
// again while another program holds the target, for kHeldFileWaitMs at most. `error` receives
// the Win32 error of the last attempt.
int ExtractEntryOnceReleased(ArchiveHandle archive, int32_t number, const std::wstring& target, bool folder,
                             RollbackJournal& journal, DWORD* error) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    *error = journal.Prepare(target, folder);
    // The folders that the entry needs are made here rather than by the archive reader, so
    // that each one made has its own protection.
    if (*error == ERROR_SUCCESS) *error = CreateProtectedFolders(folder ? target : FolderOf(target));
    int result = kArchiveCannotCreate;
    if (*error == ERROR_SUCCESS) {
      result = ExtractEntry(archive, number, target);
      *error = result == 0 ? ERROR_SUCCESS : GetLastError();
    }
    if (result == 0 || !IsHeldByAnotherProgram(*error) || GetTickCount64() - start >= kHeldFileWaitMs) return result;
    Sleep(kHeldFileRetryStepMs);
  }
}

// Entries whose records go to the journal's disk in one write.
constexpr int32_t kPlannedEntries = 128;

// Where an entry goes, with Windows separators.
std::wstring TargetOf(const std::wstring& directory, const std::wstring& entry_name) {
  std::wstring target = directory + entry_name;
  for (wchar_t& ch : target) {
    if (ch == L'/') ch = L'\\';
  }
  return target;
}

// The entries from `first` on, for the journal to plan; an entry that cannot be read ends the
// list, and is met again, and reported, in its turn.
std::vector<PlannedEntry> EntriesFrom(ArchiveHandle archive, const std::wstring& directory, int32_t first,
                                      int32_t count) {
  std::vector<PlannedEntry> entries;
  ArchiveEntry entry;
  for (int32_t number = first; number < count && number - first < kPlannedEntries; ++number) {
    if (GetArchiveEntry(archive, number, &entry) != 0) break;
    entries.push_back({TargetOf(directory, entry.name), IsDirectoryEntry(entry.attributes, entry.name)});
  }
  return entries;
}

// The first folder of the install path, or of the package inside it, that is a link or cannot
// be examined; empty when there is none.
std::wstring LinkOnInstallPath(ArchiveHandle archive, const std::wstring& directory, int32_t count) {
  std::vector<WString> names;
  ArchiveEntry entry;
  for (int32_t number = 0; number < count && GetArchiveEntry(archive, number, &entry) == 0; ++number) {
    names.push_back(entry.name);
  }
  for (const WString& folder : FoldersToCheck(directory, names)) {
    if (IsLinkOrUnexaminable(folder)) return folder;
  }
  return std::wstring();
}

bool IsDamagedEntry(int result) {
  return result == kArchiveDataError || result == kArchiveEntryUnreadable || result == kArchiveNoSuchEntry;
}

// Entries per progress value: as many values as entries while they fit between 801 and 969,
// otherwise blocks of entries just large enough that the values still end by 969.
int32_t ExtractionProgressStep(int32_t count) {
  return count <= kProgressValues ? 1 : (count + kProgressValues - 1) / kProgressValues;
}

}  // namespace

ExitCode ExtractPackage(InstallObserver& observer, const std::wstring& package_path, const std::wstring& install_dir,
                    const Md5Digest& downloaded, RollbackJournal& journal, const StopRequest& stop) {
  std::wstring directory = install_dir;
  if (directory.empty() || (directory.back() != L'\\' && directory.back() != L'/')) directory += L'\\';

  // Held until the end: the bytes judged are the bytes extracted.
  const ScopedHandle package = OpenPackageFile(package_path);
  Md5Digest digest = {};
  if (!package || !DigestOfFile(package.Get(), &digest)) {
    return ReportUnreadablePackage(observer);
  }
  if (digest != downloaded) {
    SetupLog(L"Extraction: %ls is not the package that was downloaded", package_path.c_str());
    return ReportUnreadablePackage(observer);
  }
  const ScopedArchive archive(OpenArchiveFile(package.Get()));
  if (!archive) {
    SetupLog(L"Extraction: %ls is not a zip archive that can be read", package_path.c_str());
    return ReportUnreadablePackage(observer);
  }
  PackageSurvey survey;
  SurveyArchive(archive.Get(), directory.size(), &survey);
  if (survey.fault != PackageFault::kNone) {
    SetupLog(L"Extraction: package refused, %ls, entry %lu \"%ls\"", ToWide(PackageFaultName(survey.fault)).c_str(),
             static_cast<unsigned long>(survey.entry), LoggedName(survey.entry_name).c_str());
    return ReportUnreadablePackage(observer);
  }
  ArchiveEntry entry;
  GetArchiveEntry(archive.Get(), -1, &entry);
  const int32_t count = entry.index;
  const std::wstring link = LinkOnInstallPath(archive.Get(), directory, count);
  if (!link.empty()) {
    SetupLog(L"Extraction refused: %ls is a link or cannot be examined; nothing is written through it", link.c_str());
    // Told as a package that cannot be opened, back to the first page where another folder can
    // be chosen; the exit code blames the install directory, since the package is sound.
    return ReportCannotOpen(observer, ExitCode::kInstallDirUnwritable);
  }
  // Installed all the same; the launch then leaves the client to the desktop user's rights.
  if (PathExists(directory, true) && IsWritableByStandardUsers(directory)) {
    SetupLog(L"Extraction: standard users can write the chosen folder %ls; the client will be started only with "
             L"the desktop user's rights",
             directory.c_str());
  }
  if (!VolumeHasRoom(L"Extraction", ExistingFolderOf(directory), survey.declared_bytes)) {
    return ReportNoSpace(observer);
  }
  if (!journal.Begin(directory)) {
    return ReportUnwritableFile(observer, RollbackJournalPath());
  }
  const int32_t step = ExtractionProgressStep(count);
  int32_t progress = kProgressDownloaded + 1;
  int32_t in_block = 0;
  for (int32_t number = 0; number < count; ++number) {
    if (stop.Requested()) {
      SetupLog(L"Extraction stopped before entry %ld: the installation is cancelled", static_cast<long>(number));
      journal.RollBack();
      return ExitCode::kCancelled;
    }
    if (number % kPlannedEntries == 0) journal.Plan(EntriesFrom(archive.Get(), directory, number, count));
    int result = GetArchiveEntry(archive.Get(), number, &entry);
    if (result != 0) {
      SetupLog(L"Extraction: entry %ld cannot be read, zip error %d", static_cast<long>(number), result);
      journal.RollBack();
      return ReportUnreadablePackage(observer);
    }
    const std::wstring target = TargetOf(directory, entry.name);
    if (journal.IsBackupPath(target)) {
      SetupLog(L"Extraction: package refused, entry %ld \"%ls\" writes into the backup folder",
               static_cast<long>(number), LoggedName(entry.name).c_str());
      journal.RollBack();
      return ReportUnreadablePackage(observer);
    }
    DWORD error = ERROR_SUCCESS;
    result = ExtractEntryOnceReleased(archive.Get(), number, target, IsDirectoryEntry(entry.attributes, entry.name),
                                      journal, &error);
    if (result != 0) {
      LogSystemFailure(L"Extraction", SystemCode::Win32Error(error), L"%ls failed, zip error %d", target.c_str(),
                       result);
      journal.RollBack();
      if (IsDamagedEntry(result)) return ReportUnreadablePackage(observer);
      if (IsHeldByAnotherProgram(error)) return ReportHeldFile(observer, entry.name, target);
      if (IsOutOfSpace(error)) return ReportNoSpace(observer);
      return ReportUnwritableFile(observer, target);
    }
    if (++in_block == step) {
      in_block = 0;
      observer.OnProgress(progress++);
    }
  }
  return ExitCode::kInstalled;
}
