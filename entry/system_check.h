#pragma once

// True unless the system reports itself as Windows Vista (major version 6) or later; a system
// that does not answer counts as too old.
bool IsSystemTooOld();
