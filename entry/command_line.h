#pragma once
// The installer's command line: the whole text after the program name, in UTF-16 units so that
// a directory outside the ANSI code page (Hangul on a Chinese system) arrives whole.
//
// Switches begin with "/", their names are matched in any letter case, and they are separated
// by blanks (spaces and tabs); blanks before the first and after the last are ignored, and an
// empty command line is an interactive run with nothing set.
//   /S              silent
//   /LAUNCH         start the client at the end
//   /? or /HELP     show the usage (one switch under two names)
//   /BOOKDIR=<dir>  book directory, one token
//   /LOG=<file>     log file, one token
//   /D=<dir>        install directory: the rest of the command line, so it comes last
// Double quotes group blanks into a token and are dropped wherever they stand, so both
// /BOOKDIR="C:\My Books" and "/BOOKDIR=C:\My Books" (the form that scripts quoting whole
// arguments produce) give the book directory C:\My Books. A backslash is never an escape: no
// Windows path holds a quote, and "C:\My Books\" has to stay a directory with its backslash.
// /D= takes everything after it, blanks included, without its quotes and without blanks at
// either end; an odd number of quotes there is an unterminated quote.
// A switch given twice is refused rather than the last one winning: an unattended run has
// nobody to notice that a script named two book directories, and a guess installs as
// administrator into a place that nobody chose.
//
// The values are kept as written, like a text typed into the customise page's edits: nothing
// is completed, expanded or checked against the disk here.
#include "common/utf16.h"

enum class CommandLineFault {
  kNone,
  kNotASwitch,         // a token that does not begin with "/"
  kUnknownSwitch,      // no such switch, or a value given to a switch that takes none
  kMissingValue,       // /BOOKDIR, /LOG or /D without "=" or with nothing after it
  kUnterminatedQuote,  // a quote that is never closed
  kRepeatedSwitch,     // a switch given a second time
};

struct InstallerCommandLine {
  // The whole command line was "1": a new wizard opens even when one is open already. Then
  // nothing else is set.
  bool skip_instance_check = false;
  bool silent = false;
  bool launch = false;
  bool help = false;
  WString install_dir;  // empty when not given
  WString book_dir;     // empty when not given
  WString log_file;     // empty when not given
  // The first switch that could not be taken, as written (quotes included, a /D= switch with
  // the rest of the line), for a message that names it. When it is set, nothing else is: a
  // command line is carried out entirely or not at all.
  CommandLineFault fault = CommandLineFault::kNone;
  WString faulty_switch;
};

InstallerCommandLine ParseInstallerCommandLine(const WString& arguments);

// True when the command line holds a /S switch before any /D=, even one that is refused as a
// whole: a script's faulty unattended run must still show no box on a desktop nobody watches.
bool AsksForSilence(const WString& arguments);

// The arguments of a whole command line as Windows gives it (GetCommandLineW): the program
// name and the blanks after it are skipped the way the C run-time library does for WinMain's
// command line: quotes in the name group its blanks, and nothing escapes a quote.
WString ArgumentsAfterProgramName(const WString& command_line);
