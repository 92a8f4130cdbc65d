#pragma once
// The run's log, %TEMP%\BokrinSetup.log, for support staff: each stage's start and result, the
// release record, the hosts and addresses tried, every failure with its error code, every
// refused archive entry. A log that cannot be written never stops the installation.
#include <string>

// Keeps the previous run's log as BokrinSetup.old.log and starts this run's block with a line
// that names the program's version and command line. Called once, early in WinMain; lines
// written before it (or when it failed) go nowhere. Only a plain file with no other name is
// moved aside; anything else under the log's name (a link, a folder, a log still held open by
// another installer) is left alone, and this run then logs to the first new name of
// BokrinSetup-1.log to BokrinSetup-9.log in %TEMP%, or nowhere when all of them are taken.
// Every line also goes to `copy_path` when one is given (the /LOG= switch), a file created
// afresh or emptied: the caller chose it, so it is written wherever it is; when it cannot be
// written the log says so and the run goes on.
void OpenSetupLog(const std::wstring& copy_path = std::wstring());
// One time-stamped line; `format` takes the arguments of swprintf (%ls for wide strings). A
// failed system call is logged through LogSystemFailure (system_failure.h) instead, so that its
// code always comes with the system's text. Safe from any thread.
void SetupLog(const wchar_t* format, ...);
