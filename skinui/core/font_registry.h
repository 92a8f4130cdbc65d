#pragma once
// The fonts of one window: id to font, plus the default font that every unknown id and every
// control without a font gets. Fonts are declared in skin lengths and created for the window's
// display scale; a new scale rebuilds them all.
#include <windows.h>

#include <map>

#include "common/scoped_handle.h"
#include "skinui/core/uidefine.h"
#include "skinui/core/uidpi.h"

namespace SkinUI {

struct FontRecord {
  ScopedGdiObject font;  // an HFONT
  CSkinString face;
  int size = 0;  // character height in pixels at 100 percent; 0: the stock font's height, scaled
  bool bold = false;
  bool underline = false;
  bool italic = false;
  TEXTMETRICW metrics{};

  HFONT Handle() const { return static_cast<HFONT>(font.Get()); }
};

class FontRegistry {
 public:
  // Starts with the system's default GUI font as the default font.
  FontRegistry();

  // Registers font `id` (replacing an earlier one of that id) at the scale in force; with
  // `is_default` it also becomes the default font. Ids below 0 are not registered.
  void Add(int id, const CSkinString& face, int size, bool bold, bool underline, bool italic,
           bool is_default, const CDPI& dpi);
  // The font of `id`, or the default font when there is none of that id.
  const FontRecord& Get(int id) const;
  const FontRecord& Default() const { return m_default; }
  // Creates every font anew for the scale set since: ClearType, and bold as the stock GUI
  // font's weight plus 700.
  void Rebuild(const CDPI& dpi);
  // Back to the stock default font and no registered fonts.
  void Clear();

 private:
  std::map<int, FontRecord> m_fonts;
  FontRecord m_default;
};

}  // namespace SkinUI
