#pragma once
// Unpacks the downloaded release package into the install directory, telling the installation's
// observer the progress (801 to at most 969) and, on failure, what went wrong.
#include <string>

#include "engine/install_observer.h"
#include "engine/rollback_journal.h"
#include "engine/stop_request.h"
#include "identity/md5.h"

// kInstalled when every entry was written; otherwise the class of the failure that ended it
// (a cancel included). The package is opened so that nobody may write, rename or
// delete it until the extraction ends, and it must be byte for byte the one downloaded (its MD5
// is `downloaded`). Nothing is written when it is not, when a package file or folder is a link,
// when the archive is refused as a whole (SurveyPackage) or when its files would not fit on
// the install volume; the observer then hears that the package is broken, or that the disk is
// full. Nor when a folder of the install path, from its root down, or one that the package
// creates or enters is a link (IsLinkOrUnexaminable): the observer hears it as a package that
// cannot be opened, and the result is kInstallDirUnwritable. Every folder made here gets its
// own protection (CreateProtectedFolders). Every write is recorded in `journal` first (begun here, at the first write); whatever
// ends the extraction after that, the journal is played back before the observer hears why,
// so that the install directory is as it was. A damaged entry met while writing, or an entry
// that names the journal's backup folder, is reported as a broken package; a volume that fills
// up as the disk being full. A file that another program keeps open is tried again for about
// two seconds; if it is still held, the error names the file and, where the system knows them,
// the programs, and sends the user back to the first page. Any other file that cannot be
// written ends the extraction with the message that makes the wizard quit. `stop`, looked at
// before each entry, ends the extraction without a report. On success the caller commits the
// journal once the installation has finished.
ExitCode ExtractPackage(InstallObserver& observer, const std::wstring& package_path, const std::wstring& install_dir,
                    const Md5Digest& downloaded, RollbackJournal& journal, const StopRequest& stop);
