#include "engine/testing/report_lines.h"

#include "common/product_names.h"
#include "common/text_convert.h"

void ReportLineObserver::OnStatus(const wchar_t* text) { OnLine(L"STATUS " + std::wstring(text)); }

void ReportLineObserver::OnNarrowStatus(const std::string& text) {
  OnLine(L"STATUS " + CodePageToWide(kStatusCodePage, text));
}

void ReportLineObserver::OnProgress(int32_t value) { OnLine(L"PROGRESS " + std::to_wstring(value)); }

void ReportLineObserver::OnError(ErrorMode mode, const wchar_t* text) {
  OnLine(L"ERROR " + std::to_wstring(static_cast<unsigned>(mode)) + L" " + text);
}

void ReportLineObserver::OnFinished() { OnLine(L"FINISHED"); }
