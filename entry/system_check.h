#pragma once

// True unless the system reports itself as Windows Vista (major version 6) or later and has,
// in its system directory, every DLL the program delay-imports with every function it calls
// there; a system that does not answer counts as too old.
bool IsSystemTooOld();
