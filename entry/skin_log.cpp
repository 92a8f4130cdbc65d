#include "entry/skin_log.h"

#include <windows.h>

#include <string>

#include "common/setup_log.h"
#include "common/text_convert.h"
#include "skinui/core/skin_diagnostics.h"

namespace {

using SkinUI::WStringView;

class SetupLogDiagnostics final : public SkinUI::ISkinDiagnostics {
 public:
  void UnknownAttribute(WStringView file, WStringView element, WStringView attribute) override {
    SetupLog(L"skin %ls: %ls has no attribute \"%ls\", ignored", std::wstring(file).c_str(),
             std::wstring(element).c_str(), std::wstring(attribute).c_str());
  }
  void SkinFileFailed(WStringView file, const std::string& error) override {
    SetupLog(L"skin %ls cannot be built: %ls", std::wstring(file).c_str(), CodePageToWide(CP_UTF8, error).c_str());
  }
  void PictureMissing(WStringView name) override {
    SetupLog(L"skin picture %ls cannot be read or decoded", std::wstring(name).c_str());
  }
};

}  // namespace

void LogSkinDiagnostics() {
  // Lives as long as the process, as the toolkit may report until the last window is gone.
  static SetupLogDiagnostics sink;
  SkinUI::SetSkinDiagnostics(&sink);
}
