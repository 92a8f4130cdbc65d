#pragma once
// Where the toolkit tells what is wrong with the skin: the attributes it ignores because no
// control knows them, the skin files that cannot be built and the pictures that cannot be
// loaded. None of these stops the toolkit; what it does about them stays as it is, and the
// program decides where the reports go (the installer writes them to its setup log).
#include <string>

#include "skinui/core/skin_markup.h"

namespace SkinUI {

class ISkinDiagnostics {
 public:
  // `element` of skin file `file` carries `attribute`, which its control does not take.
  virtual void UnknownAttribute(WStringView file, WStringView element, WStringView attribute) = 0;
  // Skin file `file` could not be built; `error` is the reader's or the parser's text, the
  // parser's with the line and column.
  virtual void SkinFileFailed(WStringView file, const std::string& error) = 0;
  // Picture `name` cannot be read or decoded; what should show it stays empty.
  virtual void PictureMissing(WStringView name) = 0;

 protected:
  ~ISkinDiagnostics() = default;
};

// The sink of the process; until one is installed, reports are dropped. UI thread only.
ISkinDiagnostics& SkinDiagnostics();
// Installs `sink` (null: drop reports again) and gives the one it replaces, or null.
ISkinDiagnostics* SetSkinDiagnostics(ISkinDiagnostics* sink);

}  // namespace SkinUI
