#include "engine/setup_log_observer.h"

#include "common/product_names.h"
#include "common/progress_scale.h"
#include "common/setup_log.h"
#include "common/text_convert.h"

void SetupLogObserver::OnStatus(const wchar_t* text) {
  LogPendingStatus();
  // A new stage: the figures of the last one no longer describe the progress.
  m_narrowStatus.clear();
  SetupLog(L"Status: %ls", text);
}

void SetupLogObserver::OnNarrowStatus(const std::string& text) {
  m_narrowStatus = CodePageToWide(kStatusCodePage, text);
  m_narrowStatusLogged = false;
}

void SetupLogObserver::OnProgress(int32_t value) {
  const int32_t tenths = value / (kProgressScale / 10);
  if (tenths <= m_loggedTenths) return;
  m_loggedTenths = tenths;
  const int percent = static_cast<int>(value / kProgressPerPercent);
  if (m_narrowStatus.empty()) {
    SetupLog(L"Progress: %d%%", percent);
  } else {
    SetupLog(L"Progress: %d%% (%ls)", percent, m_narrowStatus.c_str());
    m_narrowStatusLogged = true;
  }
}

void SetupLogObserver::OnResult(ExitCode code) {
  LogPendingStatus();
  m_result = code;
}

void SetupLogObserver::LogPendingStatus() {
  if (m_narrowStatusLogged) return;
  m_narrowStatusLogged = true;
  SetupLog(L"Status: %ls", m_narrowStatus.c_str());
}
