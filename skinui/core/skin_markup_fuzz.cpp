// Any bytes as a skin file. What parses is walked the way the builder walks it, and every
// attribute value is read with every value parser, since the builder cannot know which one a
// misspelt or hostile file will reach.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/testing/fuzz_check.h"
#include "skinui/core/attribute_values.h"
#include "skinui/core/picture_description.h"
#include "skinui/core/skin_markup.h"

namespace {

using SkinUI::MarkupAttribute;
using SkinUI::MarkupNode;

bool IsWhiteSpace(Utf16Char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

bool SameTree(const MarkupNode& a, const MarkupNode& b) {
  if (a.Name() != b.Name() || a.Attributes().size() != b.Attributes().size() ||
      a.Children().size() != b.Children().size()) {
    return false;
  }
  for (size_t i = 0; i < a.Attributes().size(); ++i) {
    if (a.Attributes()[i].name != b.Attributes()[i].name || a.Attributes()[i].value != b.Attributes()[i].value) {
      return false;
    }
  }
  for (size_t i = 0; i < a.Children().size(); ++i) {
    if (!SameTree(a.Children()[i], b.Children()[i])) return false;
  }
  return true;
}

void ReadValue(const WString& value) {
  SkinUI::ParseInteger(value);
  SkinUI::ParseRect(value);
  SkinUI::ParseSize(value);
  SkinUI::ParseColor(value);
  SkinUI::ParseBool(value);
  SkinUI::ParseAlign(value, SkinUI::HorizontalAlign::kLeft);
  for (const MarkupAttribute& pair : SkinUI::ParseAttributeList(value)) {
    FuzzCheck(!pair.name.empty(), "a listed attribute has a name");
    for (Utf16Char ch : pair.name) FuzzCheck(ch != '=' && !IsWhiteSpace(ch), "a listed name holds no '=' or blank");
    FuzzCheck(pair.value.find('"') == WString::npos, "a listed value holds no double quote");
  }
  for (int32_t scale : {100, 200, 300, 400}) {
    const SkinUI::PictureDescription picture = SkinUI::ParsePictureDescription(value, scale);
    SkinUI::ScaledPictureName(picture.file, scale);
  }
}

void Walk(const MarkupNode& root) {
  std::vector<std::pair<const MarkupNode*, size_t>> pending = {{&root, 1}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    FuzzCheck(depth <= SkinUI::kMaxMarkupDepth, "the tree is no deeper than the cap");
    FuzzCheck(!node->Name().empty(), "an element has a name");
    for (const MarkupAttribute& attribute : node->Attributes()) {
      FuzzCheck(!attribute.name.empty(), "an attribute has a name");
      FuzzCheck(node->FindAttribute(attribute.name, SkinUI::NameMatch::kExact) != nullptr,
                "an attribute is found by its own name");
      const WString& value = attribute.value;
      for (size_t i = 0; i + 1 < value.size(); ++i) {
        FuzzCheck(value[i] != ' ' || !IsWhiteSpace(value[i + 1]), "no white space follows a blank in a value");
      }
      ReadValue(value);
    }
    for (const MarkupNode& child : node->Children()) pending.emplace_back(&child, depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SkinUI::CSkinMarkup markup;
  const bool parsed = markup.Load(data, size);
  FuzzCheck(parsed == (markup.Root() != nullptr), "a file parses exactly when there is a tree");
  FuzzCheck(parsed == markup.ErrorText().empty(), "a refused file, and only one, has an error text");
  FuzzCheck(parsed || (markup.ErrorLine() >= 1 && markup.ErrorColumn() >= 1), "a refused file tells where");
  if (parsed) Walk(*markup.Root());

  // A byte-order mark in front changes nothing, positions included.
  const std::string bom = "\xEF\xBB\xBF";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.compare(0, bom.size(), bom) != 0) {
    const std::string marked = bom + bytes;
    SkinUI::CSkinMarkup again;
    FuzzCheck(again.Load(marked.data(), marked.size()) == parsed, "a byte-order mark does not change the verdict");
    FuzzCheck(again.ErrorText() == markup.ErrorText(), "a byte-order mark does not move an error");
    FuzzCheck(!parsed || SameTree(*again.Root(), *markup.Root()), "a byte-order mark does not change the tree");
  }
  return 0;
}
