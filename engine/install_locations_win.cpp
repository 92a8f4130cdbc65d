#include "engine/install_locations.h"

#include <windows.h>
#include <shlobj.h>

#include "common/paths.h"
#include "common/registry.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "engine/client_launch.h"
#include "engine/install_path_safety_win.h"

namespace {

std::wstring CreatedSubDir(const std::wstring& parent, const wchar_t* name) {
  const std::wstring path = parent + name;
  if (!PathExists(path, true) && !CreateDirectoryTree(path.c_str())) {
    LogSystemFailure(L"Locations", LastError(), L"%ls not created", path.c_str());
  }
  return path;
}

void WriteLocationValuesUnder(HKEY root, const std::wstring& install_dir,
                              const std::wstring& book_dir, const std::wstring& app_data_dir) {
  // The registry logs a key it cannot open and each value it cannot write.
  const ScopedRegKey key = RegOpenOrCreateKey(root, kProductKey);
  if (!key) return;
  RegWriteValue(key.Get(), kInstallDirValue, REG_SZ, install_dir);
  RegWriteValue(key.Get(), kBookDirValue, REG_SZ, book_dir);
  RegWriteValue(key.Get(), kAppDataDirValue, REG_SZ, app_data_dir);
}

std::wstring ReadProductValue(HKEY root, const wchar_t* name) {
  const ScopedRegKey key = RegOpenOrCreateKey(root, kProductKey);
  return RegReadString(key.Get(), name, REG_SZ);
}

// One level of the install directory, made only where no link on its path would take it
// elsewhere (the extraction then refuses the path), and with the protection of a folder this
// installer makes. False, with the reason in GetLastError and logged, when nothing was made.
bool CreateInstallFolder(const std::wstring& directory) {
  if (PathHoldsLink(directory)) {
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return false;
  }
  const DWORD error = CreateProtectedFolder(directory);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}

}  // namespace

bool DefaultInstallDir(bool use_default, std::wstring& directory) {
  if (use_default) {
    wchar_t program_files[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, program_files, CSIDL_PROGRAM_FILES, TRUE)) {
      SetupLog(L"Locations: the program files folder is unknown");
    }
    directory = program_files;
  }
  if (!PathExists(directory, true) && !CreateInstallFolder(directory)) {
    LogSystemFailure(L"Locations", LastError(), L"install directory \"%ls\" not created; used as it is",
                     directory.c_str());
    return false;
  }
  directory = CompleteInstallDirText(directory);
  if (PathExists(directory, true)) return false;
  if (!CreateInstallFolder(directory)) {
    LogSystemFailure(L"Locations", LastError(), L"install directory %ls not created", directory.c_str());
    return false;
  }
  return true;
}

std::wstring DefaultBookDir() { return CreatedSubDir(GetAppDataDir(), L"eBooks\\"); }

std::wstring PackageTempDir() { return CreatedSubDir(GetLocalTempDir(), L"BokrinInstallZip\\"); }

void DefaultPaths(std::wstring& install_dir, std::wstring& book_dir) {
  DefaultInstallDir(true, install_dir);
  book_dir = DefaultBookDir();
}

void WriteLocationValues(const std::wstring& install_dir, const std::wstring& book_dir) {
  const std::wstring app_data_dir = GetAppDataDir();
  WriteLocationValuesUnder(HKEY_LOCAL_MACHINE, install_dir, book_dir, app_data_dir);
  WriteLocationValuesUnder(HKEY_CURRENT_USER, install_dir, book_dir, app_data_dir);
}

void WritePackagePathValue(const std::wstring& package_path) {
  const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, kProductKey);
  RegWriteValue(key.Get(), kPackagePathValue, REG_SZ, package_path);
}

RecordedLocations ReadRecordedLocations() {
  return {ReadProductValue(HKEY_LOCAL_MACHINE, kInstallDirValue),
          ReadProductValue(HKEY_CURRENT_USER, kBookDirValue)};
}

RecordedLocations QuickInstallLocations() {
  const RecordedLocations recorded = ReadRecordedLocations();
  if (recorded.install_dir.empty() || recorded.book_dir.empty()) return {};
  return recorded;
}

PrefillTexts ComputePrefillTexts(const PrefillTexts& given) {
  const RecordedLocations recorded = ReadRecordedLocations();
  const bool install_missing = given.install_text.empty() && recorded.install_dir.empty();
  const bool book_missing = given.book_text.empty() && recorded.book_dir.empty();
  std::wstring default_install;
  std::wstring default_book;
  if (given.install_text.empty() && given.book_text.empty()) {
    // Both defaults are created even when only one of them is shown.
    if (install_missing || book_missing) DefaultPaths(default_install, default_book);
  } else {
    if (install_missing) DefaultInstallDir(true, default_install);
    if (book_missing) default_book = DefaultBookDir();
  }
  const auto pick = [](const std::wstring& given_text, const std::wstring& recorded_text,
                       const std::wstring& default_text) {
    if (!given_text.empty()) return given_text;
    return recorded_text.empty() ? default_text : recorded_text;
  };
  PrefillTexts texts{pick(given.install_text, recorded.install_dir, default_install),
                     pick(given.book_text, recorded.book_dir, default_book)};
  if (given.book_text.empty()) texts.book_text = BookDirDisplayText(texts.book_text);
  return texts;
}

ChosenDirectoryFault CheckChosenDirectories(const std::wstring& install_dir, const std::wstring& book_dir) {
  // "\Bokrin", "C:Bokrin" or "Bokrin" would resolve against this process's current folder and
  // drive, and the client could never be started from it; nothing is created for them.
  if (!IsFullDirectoryPath(install_dir)) return ChosenDirectoryFault::kInstallDir;
  if (!IsFullDirectoryPath(book_dir)) return ChosenDirectoryFault::kBookDir;
  // Whatever can be created is; what then is no directory is wrong. Nothing is made through a
  // link, which the extraction refuses.
  if (!PathHoldsLink(install_dir)) CreateProtectedFolders(install_dir);
  CreateDirectoryTree(book_dir.c_str());
  if (!PathExists(install_dir, true)) return ChosenDirectoryFault::kInstallDir;
  if (!PathExists(book_dir, true)) return ChosenDirectoryFault::kBookDir;
  return ChosenDirectoryFault::kNone;
}
