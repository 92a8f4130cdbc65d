#pragma once
// The words of a setup log line about a failed system call: where it happened, what failed,
// and the system's code with the system's own text for it. Kept apart from the system so that
// every such line has the same shape and the shape can be checked in any build.
#include <cstddef>
#include <cstdint>

#include "common/utf16.h"

// A code that the system gave back for a failed call. Win32 errors and registry statuses
// share one numbering and read "error 5"; COM results read "HRESULT 0x80070005".
class SystemCode {
 public:
  enum class Kind { kWin32Error, kHresult };

  // A GetLastError value.
  static SystemCode Win32Error(uint32_t error) { return SystemCode(Kind::kWin32Error, error); }
  // An LSTATUS of the registry functions.
  static SystemCode RegistryStatus(int32_t status) {
    return SystemCode(Kind::kWin32Error, static_cast<uint32_t>(status));
  }
  static SystemCode Hresult(int32_t result) { return SystemCode(Kind::kHresult, static_cast<uint32_t>(result)); }

  Kind kind() const { return kind_; }
  uint32_t value() const { return value_; }

 private:
  SystemCode(Kind kind, uint32_t value) : kind_(kind), value_(value) {}

  Kind kind_;
  uint32_t value_;
};

// The system's message text as one line: the line break that ends it goes, and breaks inside
// it become single blanks.
WString OneLineSystemMessage(const Utf16Char* text, size_t length);

// "error 5 (Access is denied.)", "HRESULT 0x80070005 (Access is denied.)"; "(no system text)"
// when `system_text` is empty.
WString SystemCodeText(SystemCode code, const WString& system_text);

// "<where>: <what>, <code text>".
WString FailureText(const WString& where, const WString& what, const WString& code_text);
