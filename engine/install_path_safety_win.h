#pragma once
// What keeps this elevated installer's writes in the install directory, and the client there
// out of a standard user's reach. A link on the install path (a symbolic link, a junction, a
// mount point) would send every file of the package wherever it points, written with
// administrator rights; a folder that a standard user can write lets any program of theirs
// replace the client that the finish page starts.
#include <windows.h>

#include <string>

// True when something at `folder` is a reparse point, or cannot be examined without following
// one; false for a plain folder or file, or nothing at all. The folder is opened without
// following links and judged through that handle; the attributes of its name are asked too,
// since that is where Wine shows a Unix symbolic link. Logged when true.
bool IsLinkOrUnexaminable(const std::wstring& folder);

// True when a folder of the path from its root down to `folder` (included) is a link or cannot
// be examined (IsLinkOrUnexaminable): nothing of the installation's may be made there, so that
// the extraction, which refuses such a path, finds it as the user left it.
bool PathHoldsLink(const std::wstring& folder);

// Creates the one folder `folder` (its parent exists) with the protection that Program Files
// gives its folders: a DACL of its own, not inherited from a parent that users may write,
// granting Administrators and SYSTEM full control and Users read and execute, inherited by
// what is written inside. ERROR_SUCCESS, or the Win32 error for the caller to log
// (ERROR_ALREADY_EXISTS when something is there, which keeps its own protection).
DWORD CreateProtectedFolder(const std::wstring& folder);
// CreateProtectedFolder for `folder` and each missing parent; what exists is left as it is.
// ERROR_SUCCESS or the Win32 error of the folder that could not be made.
DWORD CreateProtectedFolders(const std::wstring& folder);

// True when a standard user could replace what is in `folder` (an existing install directory,
// with or without the trailing backslash): its DACL grants Everyone, Authenticated Users,
// Users, INTERACTIVE or the desktop's user (unless that user is an administrator) the right to
// add, delete or re-permission files in it, or to take it over, or one of its parents lets
// them delete, rename or re-permission what is inside. A folder that does not exist is judged
// by its nearest existing parent, where whoever may add could make it. Also true, logged, when
// the answer cannot be had.
bool IsWritableByStandardUsers(const std::wstring& folder);
