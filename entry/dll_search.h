#pragma once

// Limits where the process looks for DLLs to the system directory, so that DLLs planted
// beside a downloaded setup program are never loaded. Does nothing on systems without
// SetDefaultDllDirectories (Vista without its update).
void RestrictDllSearchToSystem32();
