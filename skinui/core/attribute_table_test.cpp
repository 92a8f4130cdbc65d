#include "skinui/core/attribute_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace SkinUI {
namespace {

// A small hierarchy of the shape the controls have: a base class and one that extends it.
struct Shape {
  std::vector<std::string> calls;
};
struct Box : Shape {};

const AttributeTable<Shape>& ShapeAttributes() {
  static const AttributeTable<Shape> table({
      {U16("name"), [](Shape& shape, WStringView) { shape.calls.push_back("shape name"); }},
      {U16("width"), [](Shape& shape, WStringView) { shape.calls.push_back("shape width"); }},
      {U16("bktrans"), [](Shape& shape, WStringView) { shape.calls.push_back("shape bktrans"); },
       NameMatch::kExact},
  });
  return table;
}

const AttributeTable<Shape, Box>& BoxAttributes() {
  static const AttributeTable<Shape, Box> table(
      {
          {U16("width"), [](Box& box, WStringView) { box.calls.push_back("box width"); }},
          {U16("inset"), [](Box& box, WStringView value) {
             box.calls.push_back("box inset " + std::string(value.begin(), value.end()));
           }},
      },
      &ShapeAttributes());
  return table;
}

TEST(AttributeTableTest, LooksUpTheOwnTableFirstThenTheBase) {
  struct Case {
    const Utf16Char* name;
    bool known;
    const char* call;
  };
  const Case kCases[] = {
      {U16("inset"), true, "box inset 1,2"},
      {U16("INSET"), true, "box inset 1,2"},
      // The derived table takes over a name of its base.
      {U16("width"), true, "box width"},
      {U16("Name"), true, "shape name"},
      {U16("bktrans"), true, "shape bktrans"},
      // Some names must be written exactly as the toolkit knows them.
      {U16("BkTrans"), false, nullptr},
      {U16("colour"), false, nullptr},
      {U16(""), false, nullptr},
  };
  for (const Case& c : kCases) {
    Box box;
    const WStringView name(c.name);
    EXPECT_EQ(BoxAttributes().Apply(box, name, U16("1,2")), c.known) << std::string(name.begin(), name.end());
    const std::vector<std::string> expected = c.known ? std::vector<std::string>{c.call} : std::vector<std::string>{};
    EXPECT_EQ(box.calls, expected) << std::string(name.begin(), name.end());
  }
}

TEST(AttributeTableTest, BaseTableAloneKnowsNothingOfTheDerived) {
  Shape shape;
  EXPECT_FALSE(ShapeAttributes().Apply(shape, U16("inset"), U16("1,2")));
  EXPECT_TRUE(ShapeAttributes().Apply(shape, U16("width"), U16("3")));
  EXPECT_EQ(shape.calls, std::vector<std::string>{"shape width"});
}

}  // namespace
}  // namespace SkinUI
