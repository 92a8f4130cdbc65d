// For the skin log's test: an installer run's worth of skin trouble in a process of its own,
// since the setup log is opened once per process. Opens the log, sends the toolkit's skin
// diagnostics to it and then builds a skin with an unknown attribute, a skin with a markup
// error and draws from a picture that is not there.
#include <windows.h>

#include <optional>

#include "common/setup_log.h"
#include "entry/skin_log.h"
#include "skinui/core/picture_cache.h"
#include "skinui/core/uibuilder.h"
#include "skinui/core/uimanager.h"

int main() {
  OpenSetupLog();
  LogSkinDiagnostics();
  SkinUI::CSkinManagerUI manager;
  SkinUI::CSkinBuilder builder;
  const bool unknown_built =
      builder.Create(L"<Window><Label colour=\"red\"/></Window>", nullptr, nullptr, &manager) != nullptr;
  const bool broken_built =
      builder.Create(L"<Window>\n  <Label text=unquoted/>\n</Window>", nullptr, nullptr, &manager) != nullptr;
  SkinUI::PictureCache pictures([](const WString&) { return std::optional<SkinUI::DecodedPicture>(); });
  pictures.Get(L"gone.png");
  return unknown_built && !broken_built ? 0 : 1;
}
