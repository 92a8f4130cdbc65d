#include "entry/command_line.h"

#include <cstddef>

#include "entry/ascii_case.h"

namespace {

constexpr Utf16Char kQuote = U16('"');

bool IsBlank(Utf16Char c) { return c == U16(' ') || c == U16('\t'); }

size_t SkipBlanks(const WString& text, size_t at) {
  while (at < text.size() && IsBlank(text[at])) ++at;
  return at;
}

WString WithoutTrailingBlanks(const WString& text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

WString WithoutBlanksAround(const WString& text) {
  const WString trailing_cut = WithoutTrailingBlanks(text);
  return trailing_cut.substr(SkipBlanks(trailing_cut, 0));
}

WString WithoutQuotes(const WString& text) {
  WString kept;
  for (const Utf16Char c : text) {
    if (c != kQuote) kept += c;
  }
  return kept;
}

bool StartsWithIgnoringCase(const WString& text, const Utf16Char* lower_prefix) {
  size_t i = 0;
  for (; lower_prefix[i] != 0; ++i) {
    if (i == text.size() || AsciiLower(text[i]) != lower_prefix[i]) return false;
  }
  return true;
}

bool EqualsIgnoringCase(const WString& text, const Utf16Char* lower) {
  return StartsWithIgnoringCase(text, lower) && text.size() == std::char_traits<Utf16Char>::length(lower);
}

// One blank-separated token: blanks inside quotes belong to it, and its quotes are dropped.
struct Token {
  WString written;  // as it stands in the command line
  WString text;     // without its quotes
  bool quote_open = false;
};

Token ReadToken(const WString& line, size_t& at) {
  Token token;
  const size_t begin = at;
  for (; at < line.size() && (token.quote_open || !IsBlank(line[at])); ++at) {
    if (line[at] == kQuote) {
      token.quote_open = !token.quote_open;
    } else {
      token.text += line[at];
    }
  }
  // A token left open runs to the end of the line, whose blanks name nothing.
  token.written = WithoutTrailingBlanks(line.substr(begin, at - begin));
  return token;
}

// The switches by their lower-case names; each fills either a flag or a value. A /D= switch
// is taken as the rest of the line before the table is asked, so only "/D" without "=" comes
// here.
struct Switch {
  const Utf16Char* name;
  bool InstallerCommandLine::*flag;
  WString InstallerCommandLine::*value;
};

const Switch kSwitches[] = {
    {U16("s"), &InstallerCommandLine::silent, nullptr},
    {U16("launch"), &InstallerCommandLine::launch, nullptr},
    {U16("?"), &InstallerCommandLine::help, nullptr},
    {U16("help"), &InstallerCommandLine::help, nullptr},
    {U16("bookdir"), nullptr, &InstallerCommandLine::book_dir},
    {U16("log"), nullptr, &InstallerCommandLine::log_file},
    {U16("d"), nullptr, &InstallerCommandLine::install_dir},
};

const Switch* FindSwitch(const WString& name) {
  for (const Switch& candidate : kSwitches) {
    if (EqualsIgnoringCase(name, candidate.name)) return &candidate;
  }
  return nullptr;
}

InstallerCommandLine Refused(CommandLineFault fault, const WString& written) {
  InstallerCommandLine refused;
  refused.fault = fault;
  refused.faulty_switch = written;
  return refused;
}

// Takes one switch into `parsed`; the fault that keeps it from being taken otherwise.
CommandLineFault TakeSwitch(const Token& token, InstallerCommandLine& parsed) {
  if (token.quote_open) return CommandLineFault::kUnterminatedQuote;
  if (token.text.empty() || token.text[0] != U16('/')) return CommandLineFault::kNotASwitch;
  const size_t equals = token.text.find(U16('='));
  const Switch* taken = FindSwitch(token.text.substr(1, equals == WString::npos ? WString::npos : equals - 1));
  if (taken == nullptr) return CommandLineFault::kUnknownSwitch;
  if (taken->flag != nullptr) {
    if (equals != WString::npos) return CommandLineFault::kUnknownSwitch;
    if (parsed.*taken->flag) return CommandLineFault::kRepeatedSwitch;
    parsed.*taken->flag = true;
    return CommandLineFault::kNone;
  }
  if (equals == WString::npos || equals + 1 == token.text.size()) return CommandLineFault::kMissingValue;
  // A value is never empty, so one that is set was given before.
  if (!(parsed.*taken->value).empty()) return CommandLineFault::kRepeatedSwitch;
  parsed.*taken->value = token.text.substr(equals + 1);
  return CommandLineFault::kNone;
}

}  // namespace

InstallerCommandLine ParseInstallerCommandLine(const WString& arguments) {
  InstallerCommandLine parsed;
  if (arguments == U16("1")) {
    parsed.skip_instance_check = true;
    return parsed;
  }
  for (size_t at = SkipBlanks(arguments, 0); at < arguments.size(); at = SkipBlanks(arguments, at)) {
    const size_t begin = at;
    const Token token = ReadToken(arguments, at);
    if (StartsWithIgnoringCase(token.text, U16("/d="))) {
      // The install directory is the rest of the line, read again from the token's start:
      // the token itself ended at the first blank outside quotes.
      const WString rest = arguments.substr(begin);
      const WString written = WithoutTrailingBlanks(rest);
      const WString unquoted = WithoutQuotes(rest);
      if ((rest.size() - unquoted.size()) % 2 != 0) return Refused(CommandLineFault::kUnterminatedQuote, written);
      // The three units of "/D=" come first once the quotes are gone.
      parsed.install_dir = WithoutBlanksAround(unquoted.substr(3));
      if (parsed.install_dir.empty()) return Refused(CommandLineFault::kMissingValue, written);
      return parsed;
    }
    const CommandLineFault fault = TakeSwitch(token, parsed);
    if (fault != CommandLineFault::kNone) return Refused(fault, token.written);
  }
  return parsed;
}

bool AsksForSilence(const WString& arguments) {
  for (size_t at = SkipBlanks(arguments, 0); at < arguments.size(); at = SkipBlanks(arguments, at)) {
    const Token token = ReadToken(arguments, at);
    // Whatever follows belongs to the install directory.
    if (StartsWithIgnoringCase(token.text, U16("/d="))) return false;
    if (EqualsIgnoringCase(token.text, U16("/s"))) return true;
  }
  return false;
}

WString ArgumentsAfterProgramName(const WString& command_line) {
  // The run-time library counts every control character as a blank here.
  const auto is_gap = [](Utf16Char c) { return c <= U16(' '); };
  size_t at = 0;
  for (bool quoted = false; at < command_line.size() && (quoted || !is_gap(command_line[at])); ++at) {
    if (command_line[at] == kQuote) quoted = !quoted;
  }
  while (at < command_line.size() && is_gap(command_line[at])) ++at;
  return command_line.substr(at);
}
