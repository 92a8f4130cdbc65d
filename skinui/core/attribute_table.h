#pragma once
// The attributes a class takes from the skin, as a table of names and setters. A class's table
// extends the table of the class it derives from: a name is looked up in the class's own table
// first, then in its base's, so a derived class can also take over a name of its base.
#include <initializer_list>
#include <vector>

#include "skinui/core/skin_markup.h"

namespace SkinUI {

// What the objects of a `Root` hierarchy look their attributes up in.
template <class Root>
class AttributeLookup {
 public:
  // Sets the attribute on `target` when this table or one it extends knows `name`; false for a
  // name nobody knows, which leaves `target` as it was.
  virtual bool Apply(Root& target, WStringView name, WStringView value) const = 0;

 protected:
  ~AttributeLookup() = default;
};

// The table of one class, `Target`, of the `Root` hierarchy; its setters take a `Target`.
template <class Root, class Target = Root>
class AttributeTable final : public AttributeLookup<Root> {
 public:
  struct Setter {
    const Utf16Char* name;
    void (*apply)(Target& target, WStringView value);
    NameMatch match = NameMatch::kIgnoringCase;
  };

  AttributeTable(std::initializer_list<Setter> setters, const AttributeLookup<Root>* base = nullptr)
      : m_setters(setters), m_base(base) {}

  bool Apply(Root& target, WStringView name, WStringView value) const override {
    for (const Setter& setter : m_setters) {
      const bool matches = setter.match == NameMatch::kExact ? name == setter.name : NameEquals(name, setter.name);
      if (matches) {
        // The table belongs to Target, and only a Target's own lookup reaches it.
        setter.apply(static_cast<Target&>(target), value);
        return true;
      }
    }
    return m_base != nullptr && m_base->Apply(target, name, value);
  }

 private:
  std::vector<Setter> m_setters;
  const AttributeLookup<Root>* m_base;
};

}  // namespace SkinUI
