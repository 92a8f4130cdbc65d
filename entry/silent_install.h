#pragma once
// The installer run with /S, for deployment scripts: the checks that come before the wizard and
// the same engine, with nothing shown. Everything goes to the setup log, and the exit code tells
// how it went.
#include "engine/exit_code.h"
#include "entry/command_line.h"

ExitCode RunSilentInstallation(const InstallerCommandLine& command_line);
