#include "engine/error_logging_observer.h"

#include "common/setup_log.h"

void ErrorLoggingObserver::OnError(ErrorMode mode, const wchar_t* text) {
  SetupLog(L"Error shown, mode %u: %ls", static_cast<unsigned>(mode), text);
  m_next.OnError(mode, text);
}

void ErrorLoggingObserver::OnResult(ExitCode code) {
  SetupLog(L"Installation result: exit code %d", static_cast<int>(code));
  m_next.OnResult(code);
}
