#include "wizard/skin_elements.h"

const SkinUI::MarkupNode* FindNamedElement(const SkinUI::MarkupNode& root, SkinUI::WStringView name) {
  const WString* own = root.FindAttribute(U16("name"));
  if (own != nullptr && *own == name) return &root;
  for (const SkinUI::MarkupNode& child : root.Children()) {
    if (const SkinUI::MarkupNode* found = FindNamedElement(child, name)) return found;
  }
  return nullptr;
}
