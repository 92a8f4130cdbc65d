#pragma once
// Fetching the release package into the package file, with progress to the installation's
// observer.
#include <windows.h>

#include <cstdint>
#include <string>

#include "common/scoped_handle.h"
#include "engine/download_progress.h"
#include "engine/install_observer.h"
#include "engine/stop_request.h"
#include "identity/md5.h"

// How a download ended.
enum class DownloadOutcome {
  kReceived,
  kFailed,
  // The announced size does not fit on the package's volume: nothing more was fetched, nor retried.
  kNoRoom,
  // The installation was cancelled: the transfer ended at the next read, and nothing was retried.
  kStopped,
};

// `url` and `package_path` are in the ANSI code page. Streams the body into the package file,
// reporting through ReportDownloadProgress; retries once through an HTTP DNS address, and
// more often while the retries keep bringing the file on (download_attempts.h), each retry
// asking only for the rest of a broken body. Once the headers of each reply are in, the bytes
// still to come (from the size the server states, else `release_size`, the version reply's,
// when positive) are compared with the free space of the package's volume before any of them
// is written. On kReceived, `used_path` is the file that holds the body (see
// PreparePackagePlace; every attempt writes to it) and `digest` the MD5 of the whole file, by
// which the extraction knows the package again. `stop` is looked at after every read and
// during the pauses between attempts. A failure is reported by the caller.
DownloadOutcome DownloadPackage(InstallObserver& observer, const DownloadShown& shown, std::string url,
                                std::string package_path, int64_t release_size, std::wstring* used_path,
                                Md5Digest* digest, const StopRequest& stop);

// One call of the download's progress callback (status, received, total, error): tells
// `observer` the progress value and the size text when they change what `shown` last told.
// A failed attempt (-2, 0, 0, -2) tells nothing.
void ReportDownloadProgress(InstallObserver& observer, const DownloadShown& shown, int32_t status,
                            uint32_t received, uint32_t total, int32_t error);

// The package folder and a new, empty package file in it, held open so that nobody can rename
// or delete either while the body arrives; writing the file by its name stays possible.
struct PackagePlace {
  ScopedHandle folder;
  ScopedHandle file;
  std::wstring path;  // the file's full path
};

// Makes the package's folder and file real before the download writes to them: a folder or
// file that is a link (symbolic link, junction) is removed, never followed, and a real one
// made in its place; an earlier package file is deleted, so that a hard link to some other
// file is not written through. When the wanted file cannot be made (a folder has its name, or
// another program holds an earlier file open), a fresh name beside it is taken ("Bokrin-1.zip",
// ...), so that one stuck file does not block every later installation. False, with the
// reason logged, when the folder cannot be made or held, or no name can be used.
bool PreparePackagePlace(const std::wstring& package_path, PackagePlace* place);
