#pragma once
// Directories, files and the per-user directories of the installer.
#include <cstdint>
#include <string>

// True when the directory exists afterwards by this call's account: an existing path (a file
// counts) or a root is true without creating anything; otherwise the parent chain is created
// first. Paths of 260 characters or more are refused (false).
bool CreateDirectoryTree(const wchar_t* path);
// True when the path exists and, with `must_be_directory`, is a directory.
bool PathExists(const std::wstring& path, bool must_be_directory);
// Clears a read-only attribute, then deletes; true when the file was deleted.
bool ForceDeleteFile(const wchar_t* path);
// The roaming application-data folder (short form) followed by "\Bokrin\"; created one level.
std::wstring GetAppDataDir();
// The local application-data folder (short form) followed by "\Temp\"; created one level.
std::wstring GetLocalTempDir();
// False only when the volume of the existing `folder` is known to have fewer than `bytes` free
// for this user; a volume whose free space cannot be learnt is left to the writes to find out.
// What it learns goes to the setup log under `stage`.
bool VolumeHasRoom(const wchar_t* stage, const std::wstring& folder, uint64_t bytes);
