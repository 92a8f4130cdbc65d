#include "engine/package_download.h"

#include "common/paths.h"
#include "common/product_names.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "common/text_convert.h"
#include "engine/download_attempts.h"
#include "engine/http_dns_retry.h"
#include "httpport/client/http_port.h"
#include "httpport/client/winhttp_client.h"

namespace {

bool IsLink(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Removes a link itself, whatever it points at: a directory link goes with RemoveDirectoryW,
// which leaves its target alone, a file link with DeleteFileW.
bool RemoveLink(const std::wstring& path, DWORD attributes) {
  const bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? RemoveDirectoryW(path.c_str()) != FALSE
                                                                       : DeleteFileW(path.c_str()) != FALSE;
  if (!removed) LogSystemFailure(L"Download", LastError(), L"the link %ls cannot be removed", path.c_str());
  return removed;
}

// An open handle's object is what it should be: a folder or a file, and no link.
bool IsRealObject(HANDLE handle, bool folder) {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(handle, &information)) return false;
  const bool is_folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && is_folder == folder;
}

// Opens without following a link; reading counts for sharing, and without FILE_SHARE_DELETE
// nobody may rename or delete the object while it is held.
ScopedHandle OpenHeld(const std::wstring& path, DWORD disposition, DWORD flags) {
  return ScopedHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  disposition, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The wanted package name, then fresh names beside it: "Bokrin.zip", "Bokrin-1.zip", ...
constexpr int kPackageNameTries = 10;

std::wstring PackageFileCandidate(const std::wstring& wanted, size_t separator, int attempt) {
  if (attempt == 0) return wanted;
  size_t extension = wanted.find_last_of(L'.');
  if (extension == std::wstring::npos || extension < separator) extension = wanted.size();
  return wanted.substr(0, extension) + L"-" + std::to_wstring(attempt) + wanted.substr(extension);
}

// Clears `path` of a link or an earlier package and makes a new, empty file there, held.
// False, with the reason logged, when what is there cannot go: a folder, or a file that
// another program holds open.
bool MakePackageFile(const std::wstring& path, ScopedHandle* file) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (IsLink(attributes)) {
    SetupLog(L"Download: the package file %ls is a link; it is removed", path.c_str());
    if (!RemoveLink(path, attributes)) return false;
  } else if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetupLog(L"Download: %ls is a folder, not a package file", path.c_str());
    return false;
  } else if (attributes != INVALID_FILE_ATTRIBUTES && !ForceDeleteFile(path.c_str())) {
    LogSystemFailure(L"Download", LastError(), L"the earlier package %ls cannot be deleted", path.c_str());
    return false;
  }
  *file = OpenHeld(path, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  if (!*file || !IsRealObject(file->Get(), false)) {
    LogSystemFailure(L"Download", LastError(), L"the package file %ls cannot be made", path.c_str());
    file->Reset();
    return false;
  }
  return true;
}

// Waits `ms` unless the installation is cancelled meanwhile; true when it was.
bool PauseUnlessStopped(uint32_t ms, const StopRequest& stop) {
  constexpr DWORD kStepMs = 50;
  const ULONGLONG start = GetTickCount64();
  while (!stop.Requested() && GetTickCount64() - start < ms) Sleep(kStepMs);
  return stop.Requested();
}

}  // namespace

bool PreparePackagePlace(const std::wstring& package_path, PackagePlace* place) {
  const size_t separator = package_path.find_last_of(L'\\');
  if (separator == std::wstring::npos) return false;
  const std::wstring folder = package_path.substr(0, separator);

  const DWORD folder_attributes = GetFileAttributesW(folder.c_str());
  if (IsLink(folder_attributes) || (folder_attributes != INVALID_FILE_ATTRIBUTES &&
                                    (folder_attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)) {
    SetupLog(L"Download: %ls is a link or a file (attributes 0x%lx); a folder replaces it", folder.c_str(),
             folder_attributes);
    if (!RemoveLink(folder, folder_attributes)) return false;
  }
  if (!PathExists(folder, true) && !CreateDirectoryTree(folder.c_str())) {
    LogSystemFailure(L"Download", LastError(), L"the package folder %ls cannot be made", folder.c_str());
    return false;
  }
  place->folder = OpenHeld(folder, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (!place->folder || !IsRealObject(place->folder.Get(), true)) {
    LogSystemFailure(L"Download", LastError(), L"the package folder %ls cannot be held", folder.c_str());
    return false;
  }

  for (int attempt = 0; attempt < kPackageNameTries; ++attempt) {
    const std::wstring path = PackageFileCandidate(package_path, separator, attempt);
    if (MakePackageFile(path, &place->file)) {
      if (attempt > 0) SetupLog(L"Download: the package goes to %ls instead", path.c_str());
      place->path = path;
      return true;
    }
  }
  SetupLog(L"Download: no package file can be made in %ls", folder.c_str());
  return false;
}

DownloadOutcome DownloadPackage(InstallObserver& observer, const DownloadShown& shown, std::string url,
                                std::string package_path, int64_t release_size, std::wstring* used_path,
                                Md5Digest* digest, const StopRequest& stop) {
  PackagePlace place;
  if (!PreparePackagePlace(CodePageToWide(CP_ACP, package_path), &place)) return DownloadOutcome::kFailed;
  // The folder came from these ANSI bytes and the fresh names are ASCII, so the path converts back.
  package_path = WideToCodePage(CP_ACP, place.path);
  *used_path = place.path;

  const ProgressCallback progress = [&observer, &shown](int32_t status, uint32_t received, uint32_t total,
                                                        int32_t error) {
    ReportDownloadProgress(observer, shown, status, received, total, error);
  };
  // The digest covers the whole file: a continued attempt adds to it, one that starts the
  // file over starts it over too.
  Md5 md5;
  const BodyObserver observe = [&md5, &stop](const char* data, uint32_t size) {
    md5.Update(data, size);
    return !stop.Requested();
  };
  FileResume resume;
  resume.startOver = [&md5] { md5 = Md5(); };
  // A body that cannot fit is not begun: a full disk would end it as a network failure. A
  // continued body needs room only for the rest.
  const std::wstring folder = place.path.substr(0, place.path.find_last_of(L'\\') + 1);
  bool no_room = false;
  const BodyGate room_check = [&folder, release_size, &no_room](const BodyAnnouncement& announced) {
    const uint64_t whole =
        announced.has_length ? announced.Whole() : static_cast<uint64_t>(release_size > 0 ? release_size : 0);
    no_room = !VolumeHasRoom(L"Download", folder, whole > announced.kept ? whole - announced.kept : 0);
    return !no_room;
  };
  // Keeps the socket layer up for the resolver's lookups.
  CHttpPort socket_layer;
  CWinHttpClient client;
  RequestTarget target = DirectTarget(client, url);
  bool received = false;
  for (int made = 1;; ++made) {
    const uint64_t before = resume.kept;
    received = client.GetToFile(target.host, target.pathAndQuery, target.headers, package_path, progress, observe,
                                &resume, room_check);
    if (received || no_room || stop.Requested()) break;
    const NextDownloadAttempt next = PlanNextDownloadAttempt(made, before, resume.kept);
    if (!next.go) break;
    SetupLog(L"Download: attempt %d ended with %llu bytes in the file; another follows", made,
             static_cast<unsigned long long>(resume.kept));
    if (PauseUnlessStopped(next.pause_ms, stop)) break;
    // The host by name failed once; the rest go to an address from HTTP DNS.
    if (made == 1) target = ResolvedTarget(client, url);
  }
  if (stop.Requested()) {
    SetupLog(L"Download stopped with %llu bytes in the file: the installation is cancelled",
             static_cast<unsigned long long>(resume.kept));
    return DownloadOutcome::kStopped;
  }
  if (no_room) return DownloadOutcome::kNoRoom;
  if (!received) return DownloadOutcome::kFailed;
  *digest = md5.Finish();
  return DownloadOutcome::kReceived;
}

void ReportDownloadProgress(InstallObserver& observer, const DownloadShown& shown, int32_t status,
                            uint32_t received, uint32_t total, int32_t error) {
  // A failed attempt: the pipeline reports a failed download itself.
  if (status == -2 && received == 0 && total == 0 && error == -2) return;
  DownloadReport report;
  if (!NextDownloadReport(received, total, shown, &report)) return;
  if (report.has_progress) observer.OnProgress(report.progress);
  observer.OnNarrowStatus(WideToCodePage(kStatusCodePage, report.status));
}
