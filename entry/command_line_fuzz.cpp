// The installer's command line as it reaches the entry. Input: the text after the program name
// as UTF-16LE units (an odd last byte is dropped).
#include <cstddef>
#include <cstdint>

#include "common/testing/fuzz_check.h"
#include "entry/command_line.h"
#include "entry/testing/command_line_checks.h"

namespace {

bool IsBlank(Utf16Char c) { return c == U16(' ') || c == U16('\t'); }

bool HasBlankAtAnEnd(const WString& text) { return !text.empty() && (IsBlank(text.front()) || IsBlank(text.back())); }

bool HasQuote(const WString& text) { return text.find(U16('"')) != WString::npos; }

// The named switch stands in the line where a token begins; everything before it is accepted,
// and it alone after that gives the same fault: it is the first fault, named as written.
void CheckFault(const WString& line, const InstallerCommandLine& parsed) {
  InstallerCommandLine only_fault;
  only_fault.fault = parsed.fault;
  only_fault.faulty_switch = parsed.faulty_switch;
  FuzzCheck(parsed == only_fault, "a refused command line sets nothing but its fault");
  FuzzCheck(!parsed.faulty_switch.empty() && !HasBlankAtAnEnd(parsed.faulty_switch),
            "the faulty switch is named without blanks around it");
  for (size_t at = line.find(parsed.faulty_switch); at != WString::npos; at = line.find(parsed.faulty_switch, at + 1)) {
    if (at > 0 && !IsBlank(line[at - 1])) continue;
    const WString before = line.substr(0, at);
    if (ParseInstallerCommandLine(before).fault != CommandLineFault::kNone) continue;
    // The blank after it keeps a lone "1" from being the command line that skips the check.
    if (ParseInstallerCommandLine(before + parsed.faulty_switch + U16(' ')) == parsed) return;
  }
  FuzzCheck(false, "the faulty switch is the first fault and is named as written");
}

void CheckAccepted(const InstallerCommandLine& parsed, bool upper_case) {
  FuzzCheck(parsed.faulty_switch.empty(), "an accepted command line names no faulty switch");
  FuzzCheck(!HasBlankAtAnEnd(parsed.install_dir), "the install directory has no blanks around it");
  FuzzCheck(!HasQuote(parsed.install_dir) && !HasQuote(parsed.book_dir) && !HasQuote(parsed.log_file),
            "no value keeps a quote");
  FuzzCheck(ParseInstallerCommandLine(FormatCommandLine(parsed, upper_case)) == parsed,
            "the same switches written afresh give the same command line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WString line(size / 2, Utf16Char(0));
  for (size_t i = 0; i < line.size(); ++i) line[i] = static_cast<Utf16Char>(data[2 * i] | (data[2 * i + 1] << 8));
  const InstallerCommandLine parsed = ParseInstallerCommandLine(line);

  FuzzCheck(parsed.skip_instance_check == (line == U16("1")), "only the whole command line \"1\" skips the check");
  if (parsed.skip_instance_check) {
    InstallerCommandLine only_skip;
    only_skip.skip_instance_check = true;
    FuzzCheck(parsed == only_skip, "the command line \"1\" sets nothing else");
    return 0;
  }
  FuzzCheck(ParseInstallerCommandLine(U16(" \t") + line + U16("\t ")) == parsed,
            "blanks around the command line change nothing");
  if (parsed.fault == CommandLineFault::kNone) {
    FuzzCheck(AsksForSilence(line) == parsed.silent, "an accepted command line asks for silence when it is silent");
    CheckAccepted(parsed, size % 2 == 0);
  } else {
    CheckFault(line, parsed);
  }
  return 0;
}
