#pragma once
// Reading the setup log in tests, also while the process that writes it still holds it open.
#include <string>
#include <vector>

// The whole file, empty when it cannot be opened.
std::string ReadSharedFile(const std::wstring& path);

// %TEMP%\BokrinSetup.log as this process sees it.
std::wstring SetupLogPath();

// The lines of a log, each without its CR LF; a last piece without one is kept as it is.
std::vector<std::string> LogLines(const std::string& log);

// Whether some line of `log` ends with `text` (given in UTF-16, compared in UTF-8).
bool HasLineEndingWith(const std::string& log, const std::wstring& text);

// The system's text for a Win32 error or an HRESULT, without its line break; empty when the
// system has none. Written apart from the logging code so that tests can check it.
std::wstring SystemMessageOf(unsigned long code);

// Opens this process's setup log in a folder of its own below %TEMP%, named `test_name`, so that
// test programs running side by side neither mix their lines nor rotate each other's log away.
// %TEMP% stays there for the rest of the process. The log's path.
std::wstring OpenOwnSetupLog(const std::wstring& test_name);
