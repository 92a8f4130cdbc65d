#pragma once
// For the command line's tests and fuzz target: comparing parsed command lines, and writing
// one back as text.
#include <tuple>

#include "entry/command_line.h"

inline bool operator==(const InstallerCommandLine& a, const InstallerCommandLine& b) {
  const auto fields = [](const InstallerCommandLine& c) {
    return std::tie(c.skip_instance_check, c.silent, c.launch, c.help, c.install_dir, c.book_dir, c.log_file,
                    c.fault, c.faulty_switch);
  };
  return fields(a) == fields(b);
}

// A command line that gives the same switches: values in quotes, /D= last, the names in upper
// or lower case. Only for command lines that were accepted, whose values hold no quote.
inline WString FormatCommandLine(const InstallerCommandLine& c, bool upper_case) {
  WString line;
  const auto add = [&](const Utf16Char* upper, const Utf16Char* lower, const WString& quoted_value) {
    if (!line.empty()) line += U16(' ');
    line += upper_case ? upper : lower;
    if (!quoted_value.empty()) line += U16('"') + quoted_value + U16('"');
  };
  if (c.silent) add(U16("/S"), U16("/s"), {});
  if (c.launch) add(U16("/LAUNCH"), U16("/launch"), {});
  if (c.help) add(U16("/HELP"), U16("/?"), {});
  if (!c.book_dir.empty()) add(U16("/BOOKDIR="), U16("/bookdir="), c.book_dir);
  if (!c.log_file.empty()) add(U16("/LOG="), U16("/log="), c.log_file);
  if (!c.install_dir.empty()) {
    if (!line.empty()) line += U16(' ');
    line += (upper_case ? U16("/D=") : U16("/d=")) + c.install_dir;
  }
  return line;
}
