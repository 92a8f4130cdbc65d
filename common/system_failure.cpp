#include "common/system_failure.h"

#include <cstdarg>
#include <cwchar>

#include "common/setup_log.h"
#include "common/setup_log_line.h"

namespace {

// Longer texts do not fit a log line anyway.
constexpr DWORD kMessageBufferChars = 1024;

// The text of message `id`, looked up in `module` (when given) and then in the system's
// tables; empty when neither has one.
std::wstring MessageText(DWORD id, HMODULE module) {
  wchar_t buffer[kMessageBufferChars];
  DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (module != nullptr) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  const DWORD length = FormatMessageW(flags, module, id, 0, buffer, kMessageBufferChars, nullptr);
  return OneLineSystemMessage(buffer, length);
}

std::wstring Win32ErrorText(DWORD error) {
  std::wstring text = MessageText(error, nullptr);
  // WinHTTP keeps the texts of its errors in its own module; it is asked only when this
  // process has loaded it anyway.
  if (text.empty()) {
    if (const HMODULE winhttp = GetModuleHandleW(L"winhttp.dll")) text = MessageText(error, winhttp);
  }
  return text;
}

std::wstring HresultText(HRESULT result) {
  std::wstring text = MessageText(static_cast<DWORD>(result), nullptr);
  // Most failures reach COM callers as a wrapped Win32 error; the system may know only that.
  if (text.empty() && HRESULT_FACILITY(result) == FACILITY_WIN32) text = Win32ErrorText(HRESULT_CODE(result));
  return text;
}

void LogFailure(const wchar_t* where, SystemCode code, const wchar_t* what, va_list arguments) {
  const DWORD saved_error = GetLastError();
  wchar_t what_text[kMaxLogTextUnits + 1];
  what_text[0] = L'\0';
  vswprintf(what_text, kMaxLogTextUnits + 1, what, arguments);
  // Some run-time libraries leave a cut text unterminated.
  what_text[kMaxLogTextUnits] = L'\0';
  SetupLog(L"%ls", FailureText(where, what_text, DescribeSystemCode(code)).c_str());
  SetLastError(saved_error);
}

}  // namespace

std::wstring DescribeSystemCode(SystemCode code) {
  const std::wstring text = code.kind() == SystemCode::Kind::kHresult
                                ? HresultText(static_cast<HRESULT>(code.value()))
                                : Win32ErrorText(code.value());
  return SystemCodeText(code, text);
}

void LogSystemFailure(const wchar_t* where, SystemCode code, const wchar_t* what, ...) {
  va_list arguments;
  va_start(arguments, what);
  LogFailure(where, code, what, arguments);
  va_end(arguments);
}

bool ComSucceeded(HRESULT result, const wchar_t* where, const wchar_t* what, ...) {
  if (SUCCEEDED(result)) return true;
  va_list arguments;
  va_start(arguments, what);
  LogFailure(where, SystemCode::Hresult(result), what, arguments);
  va_end(arguments);
  return false;
}
