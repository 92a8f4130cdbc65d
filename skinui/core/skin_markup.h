#pragma once
// The skin file parser: one XML file, given as bytes, becomes a tree of elements that the
// builder walks. Only what skin files are made of is read: elements, attributes with values in
// double quotes, white space between tags, comments and declarations. Anything else is an
// error with a line and column, and no tree.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf16.h"

namespace SkinUI {

using WStringView = std::basic_string_view<Utf16Char>;

// Whether a name written in a skin file is `known`, with ASCII letters compared ignoring case:
// the toolkit accepts "verticallayout" for "VerticalLayout".
bool NameEquals(WStringView written, WStringView known);

enum class NameMatch { kIgnoringCase, kExact };

struct MarkupAttribute {
  WString name;   // as written
  WString value;  // entities decoded, white space after a blank collapsed
};

class MarkupNode {
 public:
  const WString& Name() const { return name_; }
  bool IsNamed(WStringView known) const { return NameEquals(name_, known); }
  // In document order, duplicates included, so that applying them in turn lets the last win.
  const std::vector<MarkupAttribute>& Attributes() const { return attributes_; }
  // The value of the last attribute with this name (the one that wins when all are applied in
  // order), or null. kExact serves the few names whose spelling matters, such as `bktrans`.
  const WString* FindAttribute(WStringView name, NameMatch match = NameMatch::kIgnoringCase) const;
  const std::vector<MarkupNode>& Children() const { return children_; }

 private:
  friend class MarkupParser;

  WString name_;
  std::vector<MarkupAttribute> attributes_;
  std::vector<MarkupNode> children_;
};

// Elements nested deeper than this are refused; it bounds the parser's stack of open elements
// and the recursion of the tree's destructor. Skin files nest about ten deep.
constexpr size_t kMaxMarkupDepth = 128;

class CSkinMarkup {
 public:
  // Parses one whole file; a leading UTF-8 byte-order mark is skipped. Any size is safe; the
  // reader refuses files too large before they get here. On failure there is no root and
  // ErrorText tells what and where. A new call replaces what an earlier one left.
  bool Load(const void* data, size_t size);

  const MarkupNode* Root() const { return root_.get(); }

  // "line L, column C: what" (ASCII; columns count characters, the byte-order mark excluded);
  // empty after a successful Load.
  const std::string& ErrorText() const { return error_text_; }
  size_t ErrorLine() const { return error_line_; }
  size_t ErrorColumn() const { return error_column_; }

 private:
  std::unique_ptr<MarkupNode> root_;
  std::string error_text_;
  size_t error_line_ = 0;
  size_t error_column_ = 0;
};

}  // namespace SkinUI
