#include "skinui/core/skin_diagnostics.h"

namespace SkinUI {

namespace {

class DroppedDiagnostics final : public ISkinDiagnostics {
 public:
  void UnknownAttribute(WStringView, WStringView, WStringView) override {}
  void SkinFileFailed(WStringView, const std::string&) override {}
  void PictureMissing(WStringView) override {}
};

DroppedDiagnostics g_dropped;
ISkinDiagnostics* g_installed = nullptr;

}  // namespace

ISkinDiagnostics& SkinDiagnostics() { return g_installed != nullptr ? *g_installed : g_dropped; }

ISkinDiagnostics* SetSkinDiagnostics(ISkinDiagnostics* sink) {
  ISkinDiagnostics* replaced = g_installed;
  g_installed = sink;
  return replaced;
}

}  // namespace SkinUI
