#pragma once

// True unless the system reports itself as Windows Vista (major version 6) or later and every
// DLL the program delay-imports loads from its system directory (LoadDelayImportedLibraries,
// which keeps them loaded); a system that does not answer counts as too old.
bool IsSystemTooOld();
