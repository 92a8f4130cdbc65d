#include "common/system_failure_text.h"

#include <cstdio>

namespace {

bool IsLineBreak(Utf16Char unit) { return unit == U16('\r') || unit == U16('\n'); }

bool IsBlankOrBreak(Utf16Char unit) { return IsLineBreak(unit) || unit == U16(' ') || unit == U16('\t'); }

WString AsciiToUtf16(const char* text) {
  WString wide;
  for (; *text != '\0'; ++text) wide += static_cast<Utf16Char>(*text);
  return wide;
}

}  // namespace

WString OneLineSystemMessage(const Utf16Char* text, size_t length) {
  while (length > 0 && IsBlankOrBreak(text[length - 1])) --length;
  WString line;
  line.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    if (!IsLineBreak(text[i])) {
      line += text[i];
    } else if (!line.empty() && line.back() != U16(' ')) {
      line += U16(' ');
    }
  }
  return line;
}

WString SystemCodeText(SystemCode code, const WString& system_text) {
  char number[32];
  if (code.kind() == SystemCode::Kind::kHresult) {
    std::snprintf(number, sizeof(number), "HRESULT 0x%08lX", static_cast<unsigned long>(code.value()));
  } else {
    std::snprintf(number, sizeof(number), "error %lu", static_cast<unsigned long>(code.value()));
  }
  return AsciiToUtf16(number) + U16(" (") + (system_text.empty() ? WString(U16("no system text")) : system_text) +
         U16(")");
}

WString FailureText(const WString& where, const WString& what, const WString& code_text) {
  return where + U16(": ") + what + U16(", ") + code_text;
}
