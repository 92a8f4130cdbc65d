#pragma once
// Files that the stand-in programs keep beside their own executable.
#include <string>

std::wstring ExecutableDir();  // ends with a backslash
// Replaces the file as a whole, so that a reader never sees half of it.
void WriteBesideExecutable(const wchar_t* name, const std::string& content);
void AppendBesideExecutable(const wchar_t* name, const std::string& line);
