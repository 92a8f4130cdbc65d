#pragma once
// Unpacks the downloaded release package into the install directory, telling the installation's
// observer the progress (801 to at most 969) and, on failure, what went wrong.
#include <string>

#include "engine/install_observer.h"
#include "identity/md5.h"

// True when every entry was written. The package is opened so that nobody may write, rename or
// delete it until the extraction ends, and it must be byte for byte the one downloaded (its MD5
// is `downloaded`). Nothing is written when it is not, when a package file or folder is a link,
// when the archive is refused as a whole (SurveyPackage) or when its files would not fit on
// the install volume; the observer then hears that the package is broken, or that the disk is
// full. A damaged entry met while writing is reported as a broken package as well. A file that
// another program keeps open is tried again for about two seconds; if it is still held, the
// error names the file and, where the system knows them, the programs, and sends the user back
// to the first page. Any other file that cannot be written ends the extraction with the message
// that makes the wizard quit.
bool ExtractPackage(InstallObserver& observer, const std::wstring& package_path, const std::wstring& install_dir,
                    const Md5Digest& downloaded);
