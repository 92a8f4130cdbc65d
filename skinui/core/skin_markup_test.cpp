#include "skinui/core/skin_markup.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

using SkinUI::CSkinMarkup;
using SkinUI::MarkupAttribute;
using SkinUI::MarkupNode;
using SkinUI::NameMatch;

const std::string kBom = "\xEF\xBB\xBF";

std::string JoinLines(std::initializer_list<const char*> lines, const char* line_end) {
  std::string text;
  for (const char* line : lines) text.append(line).append(line_end);
  return text;
}

// The main window's skin file as it is shipped: a byte-order mark, CRLF line ends, a
// declaration, and the uninstall pages left in a comment.
std::string InstallXml(const char* line_end) {
  return kBom + JoinLines(
                    {
                        R"(<?xml version="1.0" encoding="utf-8" standalone="yes" ?>)",
                        R"(<Window caption="0,0,0,40" size="800,550" bktrans="true" sizebox="4,4,4,4" )"
                        R"(showshadow="true" shadowsize="18" shadowimage="shadow.png" shadowcorner="18,19,20,20">)",
                        R"(  <Include source="default.xml" />)",
                        R"(  <VerticalLayout height="550">)",
                        R"(    <TabLayout name="wizardTab">)",
                        R"(      <ConfigOneUI />)",
                        R"(      <ConfigTwoUI />)",
                        R"(      <InstallPageUI />)",
                        R"(      <InstallFinishUI />)",
                        R"(      <!--<UnInstallBeginUI />)",
                        R"(      <UnInstallingUI />)",
                        R"(      <UnInstallFinishUI />-->)",
                        R"(    </TabLayout>)",
                        R"(    <HorizontalLayout height="25" float="true" pos="0,20,800,0">)",
                        R"(      <HorizontalLayout width="288">)",
                        R"(        <Label name="Lab_IsInstall" text="Bokrin阅读" padding="30,0,0,0" textcolor="#ff272726" font="8" />)",
                        R"(      </HorizontalLayout>)",
                        R"(      <Control />)",
                        R"(      <Button name="btn_test" visible="false" bkimage="icon-wancheng.png" height="20" width="20" padding="0,0,20,0" />)",
                        R"(      <Button name="btn_less" bkimage="install_less.png" hotimage="install_less.png" )"
                        R"(pushimage="install_less.png" height="20" width="20" />)",
                        R"(      <Button name="btn_CloseInstallGuideWnd" bkimage="install_close.png" hotimage="install_close.png" )"
                        R"(pushimage="install_close.png" padding="20,0,27,0" height="20" width="20" />)",
                        R"(    </HorizontalLayout>)",
                        R"(  </VerticalLayout>)",
                        R"(</Window>)",
                    },
                    line_end);
}

// The tree in one line: Name a="v" b="v"{Child Child}.
WString Dump(const MarkupNode& node) {
  WString text = node.Name();
  for (const MarkupAttribute& attribute : node.Attributes()) {
    text += U16(" ") + attribute.name + U16("=\"") + attribute.value + U16("\"");
  }
  if (!node.Children().empty()) {
    text += U16("{");
    for (const MarkupNode& child : node.Children()) {
      if (&child != &node.Children().front()) text += U16(" ");
      text += Dump(child);
    }
    text += U16("}");
  }
  return text;
}

// The dump of a parsed text, or "error: ..." when it did not parse.
WString Parsed(const std::string& text) {
  CSkinMarkup markup;
  if (!markup.Load(text.data(), text.size())) {
    const std::string error = "error: " + markup.ErrorText();
    return WString(error.begin(), error.end());
  }
  return Dump(*markup.Root());
}

TEST(SkinMarkupTest, ReadsTheMainWindowSkin) {
  const std::string text = InstallXml("\r\n");
  CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(text.data(), text.size())) << markup.ErrorText();
  EXPECT_EQ(markup.ErrorText(), "");
  EXPECT_EQ(Dump(*markup.Root()),
            U16("Window caption=\"0,0,0,40\" size=\"800,550\" bktrans=\"true\" sizebox=\"4,4,4,4\" showshadow=\"true\" "
                "shadowsize=\"18\" shadowimage=\"shadow.png\" shadowcorner=\"18,19,20,20\""
                "{Include source=\"default.xml\" VerticalLayout height=\"550\""
                "{TabLayout name=\"wizardTab\"{ConfigOneUI ConfigTwoUI InstallPageUI InstallFinishUI} "
                "HorizontalLayout height=\"25\" float=\"true\" pos=\"0,20,800,0\""
                "{HorizontalLayout width=\"288\"{Label name=\"Lab_IsInstall\" text=\"Bokrin阅读\" padding=\"30,0,0,0\" "
                "textcolor=\"#ff272726\" font=\"8\"} Control "
                "Button name=\"btn_test\" visible=\"false\" bkimage=\"icon-wancheng.png\" height=\"20\" width=\"20\" "
                "padding=\"0,0,20,0\" "
                "Button name=\"btn_less\" bkimage=\"install_less.png\" hotimage=\"install_less.png\" "
                "pushimage=\"install_less.png\" height=\"20\" width=\"20\" "
                "Button name=\"btn_CloseInstallGuideWnd\" bkimage=\"install_close.png\" hotimage=\"install_close.png\" "
                "pushimage=\"install_close.png\" padding=\"20,0,27,0\" height=\"20\" width=\"20\"}}}"));
}

TEST(SkinMarkupTest, ByteOrderMarkAndLineEndsDoNotChangeTheTree) {
  const WString expected = Parsed(InstallXml("\r\n"));
  EXPECT_EQ(Parsed(InstallXml("\n")), expected);
  EXPECT_EQ(Parsed(InstallXml("\r\n").substr(kBom.size())), expected);
  EXPECT_EQ(Parsed(InstallXml("\n").substr(kBom.size())), expected);
}

// The message box's skin: a window that includes "Default.xml" and holds two fonts without id,
// a page body with a Chinese text and pictures described by key='value' lists.
TEST(SkinMarkupTest, ReadsTheMessageBoxSkin) {
  const std::string text = JoinLines(
      {
          R"(<?xml version="1.0" encoding="UTF-8"?>)",
          R"(<Window caption="0,0,0,180" size="380,180" showshadow="true" shadowsize="18" shadowimage="shadow.png" shadowcorner="18,19,20,20">)",
          R"(	<Include source="Default.xml"/>)",
          R"(	<Font name="Microsoft Yahei" size="14" bold="false"/>)",
          R"(	<Font name="Microsoft Yahei" size="16" bold="true"/>)",
          R"(	<VerticalLayout bkcolor="#ffffffff" inset="1,1,1,1">)",
          R"(		<Text name="lab_TextContent" height="40" font="0" textcolor="#ff272726" text="出错啦！"/>)",
          R"(		<Button name="btn_ok" text="确定" textcolor="#ffffffff" width="100" height="30")",
          R"(			normalimage="file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'")",
          R"(			hotimage="file='btn-red-sel.png' source='9,5,29,25' corner='4,4,4,4'"/>)",
          R"(	</VerticalLayout>)",
          R"(</Window>)",
      },
      "\r\n");
  EXPECT_EQ(Parsed(text),
            U16("Window caption=\"0,0,0,180\" size=\"380,180\" showshadow=\"true\" shadowsize=\"18\" "
                "shadowimage=\"shadow.png\" shadowcorner=\"18,19,20,20\""
                "{Include source=\"Default.xml\" Font name=\"Microsoft Yahei\" size=\"14\" bold=\"false\" "
                "Font name=\"Microsoft Yahei\" size=\"16\" bold=\"true\" "
                "VerticalLayout bkcolor=\"#ffffffff\" inset=\"1,1,1,1\""
                "{Text name=\"lab_TextContent\" height=\"40\" font=\"0\" textcolor=\"#ff272726\" text=\"出错啦！\" "
                "Button name=\"btn_ok\" text=\"确定\" textcolor=\"#ffffffff\" width=\"100\" height=\"30\" "
                "normalimage=\"file='btn-red-nor.png' source='7,6,27,26' corner='4,4,4,4'\" "
                "hotimage=\"file='btn-red-sel.png' source='9,5,29,25' corner='4,4,4,4'\"}}"));
}

TEST(SkinMarkupTest, SkipsCommentsAndDeclarationsWhereverContentMayStand) {
  struct Case {
    const char* text;
    const Utf16Char* tree;
  };
  const Case kCases[] = {
      {"<?xml version=\"1.0\"?><!-- before --><a/><!-- after --><?after?>", U16("a")},
      {"<a><!-- <b/> --><c/><?pi <d/> ?></a>", U16("a{c}")},
      {"<a>\r\n\t<!---->\r\n</a>", U16("a")},
      {"<a><!--><b/></a>", U16("a{b}")},  // the first "->" ends it, even inside "<!--"
      {"<a><!DOCTYPE x -><b/></a>", U16("a{b}")},
      {"<a><? ? > ?><b/></a>", U16("a{b}")},
      {"<a><!-- 安装 --><b/></a>", U16("a{b}")},
  };
  for (const Case& c : kCases) EXPECT_EQ(Parsed(c.text), c.tree) << c.text;
}

TEST(SkinMarkupTest, DecodesValues) {
  struct Case {
    const char* written;
    const Utf16Char* value;
  };
  const Case kCases[] = {
      {"", U16("")},
      {"a&amp;b", U16("a&b")},
      {"&lt;&gt;&quot;&apos;", U16("<>\"'")},
      {"&amp;lt;", U16("&lt;")},
      {"&&amp;", U16("&&")},
      // Other ampersands are text.
      {"&x;", U16("&x;")},
      {"&#32;", U16("&#32;")},
      {"&AMP;", U16("&AMP;")},
      {"&amp", U16("&amp")},
      {"tail&", U16("tail&")},
      // The Default element's list, whose inner quotes are written as entities.
      {"width=&quot;8&quot; showbutton1=&quot;true&quot;", U16("width=\"8\" showbutton1=\"true\"")},
      // White space after a blank is dropped; other white space stays.
      {"a  b", U16("a b")},
      {"a \t\r\n   b", U16("a b")},
      {"    ", U16(" ")},
      {"end ", U16("end ")},
      {"a\t\tb", U16("a\t\tb")},
      {"a\r\n    b", U16("a\r\n b")},
      {"\t ", U16("\t ")},
      // Raw markup characters other than the quote are text too.
      {"a<b>c'd", U16("a<b>c'd")},
      {"正在安装，请稍候...", U16("正在安装，请稍候...")},
      {"\xF0\x9F\x93\x96 book", U16("\U0001F4D6 book")},
  };
  for (const Case& c : kCases) {
    const std::string text = std::string("<Label text=\"") + c.written + "\"/>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(text.data(), text.size())) << c.written << ": " << markup.ErrorText();
    ASSERT_EQ(markup.Root()->Attributes().size(), 1u);
    EXPECT_EQ(markup.Root()->Attributes()[0].value, c.value) << c.written;
  }
}

TEST(SkinMarkupTest, KnownNamesIgnoreCaseButTheSpellingIsKept) {
  const std::string text = R"(<window SIZE="1,2" BkTrans="true" size="3,4"><verticalLAYOUT/></window>)";
  CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(text.data(), text.size())) << markup.ErrorText();
  const MarkupNode& root = *markup.Root();
  EXPECT_TRUE(root.IsNamed(U16("Window")));
  EXPECT_FALSE(root.IsNamed(U16("Windows")));
  EXPECT_EQ(root.Name(), U16("window"));
  ASSERT_EQ(root.Children().size(), 1u);
  EXPECT_TRUE(root.Children()[0].IsNamed(U16("VerticalLayout")));

  // Later duplicates win, as they do when the attributes are applied in order.
  ASSERT_NE(root.FindAttribute(U16("Size")), nullptr);
  EXPECT_EQ(*root.FindAttribute(U16("Size")), U16("3,4"));
  ASSERT_NE(root.FindAttribute(U16("SIZE"), NameMatch::kExact), nullptr);
  EXPECT_EQ(*root.FindAttribute(U16("SIZE"), NameMatch::kExact), U16("1,2"));
  EXPECT_EQ(root.FindAttribute(U16("caption")), nullptr);

  // A layered window must be asked for in lower case.
  ASSERT_NE(root.FindAttribute(U16("bktrans")), nullptr);
  EXPECT_EQ(root.FindAttribute(U16("bktrans"), NameMatch::kExact), nullptr);
  EXPECT_EQ(root.Attributes()[1].name, U16("BkTrans"));
}

TEST(SkinMarkupTest, NameEqualsFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(SkinUI::NameEquals(U16("HORIZONTALlayout"), U16("HorizontalLayout")));
  EXPECT_TRUE(SkinUI::NameEquals(U16(""), U16("")));
  EXPECT_FALSE(SkinUI::NameEquals(U16("Label"), U16("Labe")));
  EXPECT_FALSE(SkinUI::NameEquals(U16("a_b"), U16("a-b")));
  EXPECT_FALSE(SkinUI::NameEquals(U16("@"), U16("`")));  // 'A' - 1 and 'a' - 1 are no pair
  EXPECT_FALSE(SkinUI::NameEquals(U16("\u00C4"), U16("\u00E4")));
}

TEST(SkinMarkupTest, RefusesMalformedFilesWithTheirPosition) {
  struct Case {
    std::string text;
    size_t line;
    size_t column;
    const char* error;
  };
  const Case kCases[] = {
      {"", 1, 1, "the file holds no element"},
      {kBom, 1, 1, "the file holds no element"},
      {"<!-- only -->\r\n  ", 2, 3, "the file holds no element"},
      {"<Window>", 1, 9, "<Window> opened at line 1, column 1 is not closed"},
      {"<Window>\r\n  <Button>\r\n</Window>", 3, 1, "</Window> does not close <Button> opened at line 2, column 3"},
      {"<Window></window>", 1, 9, "</window> does not close <Window> opened at line 1, column 1"},
      {"</Window>", 1, 1, "</Window> closes no element"},
      {"<Window></Window", 1, 17, "expected '>' to end </Window>"},
      {"<Window></ Window>", 1, 11, "expected an element name after \"</\""},
      {"<Window/><Window/>", 1, 10, "a second root element"},
      {"< Window/>", 1, 2, "expected an element name after '<'"},
      {"<1/>", 1, 2, "expected an element name after '<'"},
      {"<Window size=800,550/>", 1, 14, "the value of attribute size of <Window> must be in double quotes"},
      {"<Window size='800,550'/>", 1, 14, "the value of attribute size of <Window> must be in double quotes"},
      {"<Window size=\"800,550/>", 1, 14, "the value of attribute size of <Window> has no closing '\"'"},
      {"<Window size \"1\"/>", 1, 14, "expected '=' after attribute size of <Window>"},
      {"<Window size=\"1\"", 1, 17, "'>' missing: the file ends inside <Window>"},
      {"<Window size=\"1\"<Button/></Window>", 1, 17, "expected white space, an attribute, '>' or \"/>\" in <Window>"},
      {"<Window a=\"1\"b=\"2\"/>", 1, 14, "expected white space, an attribute, '>' or \"/>\" in <Window>"},
      {"<Window / >", 1, 9, "expected white space, an attribute, '>' or \"/>\" in <Window>"},
      {"<Window =\"1\"/>", 1, 9, "expected white space, an attribute, '>' or \"/>\" in <Window>"},
      {"<Window/>x", 1, 10, "text outside of tags"},
      {"<Window>stray</Window>", 1, 9, "text outside of tags"},
      {"x<Window/>", 1, 1, "text outside of tags"},
      {kBom + kBom + "<Window/>", 1, 1, "text outside of tags"},
      {"<Window><!-- open", 1, 9, "comment not closed by \"->\""},
      {"<?xml version=\"1.0\">", 1, 1, "declaration not closed by \"?>\""},
      // Columns count characters, and the byte-order mark is not one of them.
      {"<Window>\r\n  <Label text=\"安装完成\" x/>", 2, 23, "expected '=' after attribute x of <Label>"},
      {kBom + "<Window", 1, 8, "'>' missing: the file ends inside <Window>"},
      // Bytes that are no UTF-8, wherever they are.
      {"<Label text=\"\xE5\xAE\x89\xE8\xA3", 1, 15, "UTF-8 character cut short by the end of the file"},
      {"<Label text=\"\xE8\xA3\"/>", 1, 14, "malformed UTF-8: a character cut short"},
      {"<Label/>\xA3", 1, 9, "malformed UTF-8: a byte that cannot start a character"},
      {std::string("\xFF\xFE<\0L\0/\0>\0", 10), 1, 1, "malformed UTF-8: a byte that cannot start a character"},
      {"<Label text=\"\xC0\xAF\"/>", 1, 14, "malformed UTF-8: a byte that cannot start a character"},
      {"<Label text=\"\xE0\x80\xAF\"/>", 1, 14, "malformed UTF-8: a character cut short"},
      {"<Label text=\"\xED\xA0\x80\"/>", 1, 14, "malformed UTF-8: a character cut short"},
      {"<Label text=\"\xF4\x90\x80\x80\"/>", 1, 14, "malformed UTF-8: a character cut short"},
      {std::string("<Label/>\0", 9), 1, 9, "zero byte"},
      {std::string("<Label text=\"a\0b\"/>", 19), 1, 15, "zero byte"},
  };
  for (const Case& c : kCases) {
    CSkinMarkup markup;
    EXPECT_FALSE(markup.Load(c.text.data(), c.text.size())) << c.text;
    EXPECT_EQ(markup.Root(), nullptr) << c.text;
    EXPECT_EQ(markup.ErrorLine(), c.line) << c.text;
    EXPECT_EQ(markup.ErrorColumn(), c.column) << c.text;
    EXPECT_EQ(markup.ErrorText(), "line " + std::to_string(c.line) + ", column " + std::to_string(c.column) + ": " +
                                      c.error)
        << c.text;
  }
}

TEST(SkinMarkupTest, ALoadReplacesWhatTheLastOneLeft) {
  CSkinMarkup markup;
  const std::string good = "<Window/>";
  const std::string bad = "<Window>";
  ASSERT_TRUE(markup.Load(good.data(), good.size()));
  EXPECT_FALSE(markup.Load(bad.data(), bad.size()));
  EXPECT_EQ(markup.Root(), nullptr);
  EXPECT_TRUE(markup.Load(good.data(), good.size()));
  EXPECT_NE(markup.Root(), nullptr);
  EXPECT_EQ(markup.ErrorText(), "");
  EXPECT_EQ(markup.ErrorLine(), 0u);
  EXPECT_FALSE(markup.Load(nullptr, 0));
  EXPECT_EQ(markup.ErrorText(), "line 1, column 1: the file holds no element");
}

std::string Repeated(const std::string& piece, size_t count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (size_t i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(SkinMarkupTest, CapsTheNestingDepth) {
  const size_t kMax = SkinUI::kMaxMarkupDepth;
  const std::string deepest = Repeated("<a>", kMax) + Repeated("</a>", kMax);
  CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(deepest.data(), deepest.size())) << markup.ErrorText();
  size_t depth = 1;
  for (const MarkupNode* node = markup.Root(); !node->Children().empty(); node = &node->Children()[0]) ++depth;
  EXPECT_EQ(depth, kMax);

  const std::string too_deep = Repeated("<a>", kMax + 1) + Repeated("</a>", kMax + 1);
  EXPECT_FALSE(markup.Load(too_deep.data(), too_deep.size()));
  EXPECT_EQ(markup.ErrorText(), "line 1, column " + std::to_string(3 * kMax + 1) + ": elements nested deeper than " +
                                    std::to_string(kMax));
  // Self-closed elements open nothing, so they may stand at the deepest level.
  const std::string leaf = Repeated("<a>", kMax - 1) + "<b/>" + Repeated("</a>", kMax - 1);
  EXPECT_TRUE(markup.Load(leaf.data(), leaf.size())) << markup.ErrorText();
}

// Larger than any file the reader hands over (it stops at 4 MiB).
TEST(SkinMarkupTest, StaysSafeOnFilesOfFiveMebibytes) {
  const size_t kSize = 5u << 20;
  const std::string element = "<Control width=\"1\"/>\r\n";
  const std::string many = "<Window>" + Repeated(element, kSize / element.size()) + "</Window>";
  CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(many.data(), many.size())) << markup.ErrorText();
  EXPECT_EQ(markup.Root()->Children().size(), kSize / element.size());

  const std::string long_value = "<Label text=\"" + Repeated("ab  ", kSize / 4) + "\"/>";
  ASSERT_TRUE(markup.Load(long_value.data(), long_value.size())) << markup.ErrorText();
  EXPECT_EQ(markup.Root()->Attributes()[0].value.size(), kSize / 4 * 3);

  struct Case {
    std::string text;
    const char* error;
  };
  const Case kMalformed[] = {
      {Repeated("<a>", kSize / 3), "elements nested deeper than"},
      {"<a>" + Repeated("<b></b>", kSize / 7), "<a> opened at line 1, column 1 is not closed"},
      {"<!--" + Repeated("-", kSize), "comment not closed"},
      {"<a text=\"" + Repeated("x", kSize), "has no closing '\"'"},
      {"<a" + Repeated(" ", kSize), "'>' missing"},
  };
  for (const Case& c : kMalformed) {
    EXPECT_FALSE(markup.Load(c.text.data(), c.text.size()));
    EXPECT_NE(markup.ErrorText().find(c.error), std::string::npos) << markup.ErrorText();
  }
}

}  // namespace
