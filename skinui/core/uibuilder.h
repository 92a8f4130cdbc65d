#pragma once
// Turns a skin file into a control tree for a window's manager: fonts and default attribute
// lists first, then the controls depth first, each given its default attributes and then its
// own in document order. Element names that the toolkit does not know go to the callback, which
// creates the program's own controls (the installer's pages).
#include <windows.h>

#include <memory>

#include "skinui/control/uicontrol.h"
#include "skinui/core/skin_markup.h"
#include "skinui/core/uidefine.h"

namespace SkinUI {

class CSkinManagerUI;

// The control for a toolkit element name ("Button" gives a CButtonUI), ignoring case, or null.
std::unique_ptr<CControlUI> CreateToolkitControl(WStringView element_name);

class CSkinBuilder {
 public:
  // Builds the skin named by `skin` (a file name read through the skin archive, or markup text
  // that starts with "<") for `manager`. The result is the first control of the file's top
  // level, owned by the caller; null when the file cannot be read or parsed, or holds no control.
  // `type` names a resource type for skins kept as resources; this program has none and passes
  // null.
  std::unique_ptr<CControlUI> Create(const wchar_t* skin, const wchar_t* type, ISkinBuilderCallback* callback,
                                     CSkinManagerUI* manager);

  // What went wrong in the last Create: the reader's or the parser's error text. The skin
  // diagnostics hear of it too, and of every attribute that the built controls do not know.
  const std::string& ErrorText() const { return m_error; }

 private:
  // Reads and parses the skin; on failure the skin diagnostics hear why.
  bool Load(const wchar_t* skin);
  // Registers the file's fonts and default lists and builds its controls under `parent` (or at
  // the top level, into `top_level`).
  void BuildFile(const MarkupNode& root, CControlUI* parent, std::unique_ptr<CControlUI>* top_level);
  void Parse(const MarkupNode& element, CControlUI* parent, std::unique_ptr<CControlUI>* top_level);
  void Include(const MarkupNode& element, CControlUI* parent, std::unique_ptr<CControlUI>* top_level);
  void RegisterFont(const MarkupNode& element);
  void ApplyWindowAttributes(const MarkupNode& root);
  void ApplyAttribute(CControlUI& control, const MarkupNode& element, const MarkupAttribute& attribute);

  CSkinMarkup m_markup;
  // The file being built, as the diagnostics name it.
  WString m_file;
  ISkinBuilderCallback* m_pCallback = nullptr;
  CSkinManagerUI* m_pManager = nullptr;
  std::string m_error;
  int m_includeDepth = 0;
};

}  // namespace SkinUI
