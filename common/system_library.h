#pragma once
// DLLs of Windows that are not protected system DLLs (KnownDLLs) are never imported directly:
// the loader would look for them beside the program, in the Downloads folder, before the
// program could restrict the search. They are delay-imported (bokrin_delay_imports in
// cmake/BokrinTargets.cmake) and loaded here, from the system directory only.
#include <windows.h>

#include "common/scoped_handle.h"

// Loads the DLL `name` from the system directory, wherever the process's DLL search looks.
// Empty on failure, with the thread's last error set.
ScopedLibrary LoadSystemLibrary(const wchar_t* name);

// Loads every delay-imported DLL from the system directory and keeps it for the life of the
// process, at the start: a system lacking one is told so then, instead of the process ending at
// its first call, and a later load by the bare name, by the delay-load helper or by a system
// DLL for itself, finds this copy instead of searching. False, with the failure logged, when
// one does not load.
bool LoadDelayImportedLibraries();
