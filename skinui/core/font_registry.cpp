#include "skinui/core/font_registry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

namespace {

// Face names longer than the platform's LOGFONT holds are cut.
constexpr size_t kMaxFaceLength = LF_FACESIZE - 1;

LOGFONTW StockLogFont() {
  LOGFONTW stock{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  return stock;
}

enum class Build { kRegistration, kScaleChange };

// At registration the font is created plainly; when the scale changes it is created again with
// ClearType, and its bold weight is added to the stock font's weight, as it always was.
void Create(FontRecord& record, const CDPI& dpi, Build build) {
  LOGFONTW font = StockLogFont();
  if (!record.face.empty()) {
    const size_t length = std::min(record.face.size(), kMaxFaceLength);
    std::wmemcpy(font.lfFaceName, record.face.data(), length);
    font.lfFaceName[length] = L'\0';
  }
  // Without a size of its own the font keeps the stock font's height, at the window's scale.
  font.lfHeight = record.size > 0 ? -dpi.Scale(record.size) : dpi.Scale(font.lfHeight);
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfUnderline = record.underline ? TRUE : FALSE;
  font.lfItalic = record.italic ? TRUE : FALSE;
  if (build == Build::kScaleChange) {
    font.lfQuality = CLEARTYPE_QUALITY;
    if (record.bold) font.lfWeight += FW_BOLD;
  } else if (record.bold) {
    font.lfWeight = FW_BOLD;
  }
  record.font.Reset(CreateFontIndirectW(&font));
  record.metrics = TEXTMETRICW{};
  ScopedGetDc screen(nullptr);
  ScopedMemoryDc measure(CreateCompatibleDC(screen.Get()));
  if (measure && record.font) {
    ScopedSelection select(measure.Get(), record.font.Get());
    GetTextMetricsW(measure.Get(), &record.metrics);
  }
}

FontRecord StockDefault() {
  FontRecord record;
  Create(record, CDPI(), Build::kRegistration);
  return record;
}

}  // namespace

FontRegistry::FontRegistry() : m_default(StockDefault()) {}

void FontRegistry::Add(int id, const CSkinString& face, int size, bool bold, bool underline, bool italic,
                       bool is_default, const CDPI& dpi) {
  if (id < 0) return;
  const auto make = [&] {
    FontRecord record;
    record.face = face;
    record.size = size;
    record.bold = bold;
    record.underline = underline;
    record.italic = italic;
    Create(record, dpi, Build::kRegistration);
    return record;
  };
  // The default font is a font of its own, so that replacing this id later leaves it as it is.
  if (is_default) m_default = make();
  m_fonts[id] = make();
}

const FontRecord& FontRegistry::Get(int id) const {
  const auto found = m_fonts.find(id);
  return found != m_fonts.end() ? found->second : m_default;
}

void FontRegistry::Rebuild(const CDPI& dpi) {
  for (auto& entry : m_fonts) Create(entry.second, dpi, Build::kScaleChange);
  Create(m_default, dpi, Build::kScaleChange);
}

void FontRegistry::Clear() {
  m_fonts.clear();
  m_default = StockDefault();
}

}  // namespace SkinUI
