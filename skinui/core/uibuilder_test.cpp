// Building control trees from skin files read through the attached archive.
#include "skinui/core/uibuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/text_convert.h"
#include "skinui/control/uilabel.h"
#include "skinui/control/uiprogress.h"
#include "skinui/core/skin_resources.h"
#include "skinui/core/testing/recording_diagnostics.h"
#include "skinui/layout/uicontainer.h"
#include "skinui/testing/skin_test_window.h"

namespace SkinUI {
namespace {

// One archive for the whole program, as a process has.
class SkinArchiveEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    AttachTestArchive({
        {"default.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DefaultConfig>\r\n"
         "<Font id=\"3\" name=\"Arial\" size=\"16\" default=\"true\"/>\r\n"
         "<Font id=\"4\" name=\"Arial\" size=\"12\" bold=\"true\"/>\r\n"
         "<Default name=\"Label\" value=\"text=&quot;from default&quot; width=&quot;40&quot;\"/>\r\n"
         "</DefaultConfig>\r\n"},
        {"Page.XML", "\xEF\xBB\xBF<Window><Label name=\"included\"/></Window>"},
        {"broken.xml", "<Window><Label name=\"x\"></Window>"},
        {"odd.xml", "<Window>\r\n<Button name=\"b\" shade=\"1\"/>\r\n</Window>"},
    });
  }
};
const testing::Environment* const kArchive = testing::AddGlobalTestEnvironment(new SkinArchiveEnvironment);

class BuilderTest : public testing::Test {
 protected:
  TestSkinWindow& Build(const std::wstring& body) {
    window_ = std::make_unique<TestSkinWindow>(L"<Window size=\"200,100\">" + body + L"</Window>");
    EXPECT_TRUE(window_->CreateHidden());
    return *window_;
  }

  std::unique_ptr<TestSkinWindow> window_;
};

TEST_F(BuilderTest, IncludedFilesAreFoundIgnoringCase) {
  TestSkinWindow& window =
      Build(L"<Include source=\"Default.xml\"/><VerticalLayout><Include source=\"page.xml\"/></VerticalLayout>");
  EXPECT_NE(window.Find(L"included"), nullptr);
  EXPECT_GT(window.GetManager().Fonts().Get(3).metrics.tmHeight, 0);
  // Font 3 is the default font too, so an unknown id draws in it.
  EXPECT_EQ(window.GetManager().Fonts().Get(99).face, L"Arial");
}

TEST_F(BuilderTest, OwnAttributesOverrideTheDefaultList) {
  TestSkinWindow& window =
      Build(L"<Include source=\"default.xml\"/><HorizontalLayout><Label name=\"a\" width=\"60\"/>"
            L"<Label name=\"b\" text=\"own\"/><Control name=\"rest\"/></HorizontalLayout>");
  window.Render();
  EXPECT_EQ(window.Find(L"a")->GetText(), L"from default");
  EXPECT_EQ(window.Find(L"a")->GetPos().right - window.Find(L"a")->GetPos().left, 60);
  EXPECT_EQ(window.Find(L"b")->GetText(), L"own");
  EXPECT_EQ(window.Find(L"b")->GetPos().right - window.Find(L"b")->GetPos().left, 40);
}

TEST_F(BuilderTest, UnknownElementIsSkippedWithItsChildrenWhileSiblingsAreBuilt) {
  TestSkinWindow& window = Build(
      L"<VerticalLayout name=\"root\"><Mystery><Label name=\"orphan\"/></Mystery><Label name=\"sibling\"/>"
      L"</VerticalLayout>");
  EXPECT_EQ(window.Find(L"orphan"), nullptr);
  ASSERT_NE(window.Find(L"sibling"), nullptr);
  EXPECT_EQ(static_cast<CContainerUI*>(window.Find(L"root"))->GetCount(), 1);
}

TEST_F(BuilderTest, CallbackCreatesTheElementsTheToolkitDoesNotKnow) {
  TestSkinWindow window(L"<Window><VerticalLayout><PageUI name=\"page\"><Label name=\"inner\"/></PageUI>"
                        L"</VerticalLayout></Window>");
  std::vector<std::wstring> asked;
  window.create_control = [&](CSkinManagerUI&, const wchar_t* name) -> CControlUI* {
    asked.push_back(name);
    return std::wstring(name) == L"PageUI" ? new CHorizontalLayoutUI : nullptr;
  };
  ASSERT_TRUE(window.CreateHidden());
  EXPECT_EQ(asked, std::vector<std::wstring>{L"PageUI"});
  ASSERT_NE(window.Find(L"page"), nullptr);
  EXPECT_EQ(window.Find(L"inner")->GetParent(), window.Find(L"page"));
}

TEST_F(BuilderTest, FontsWithoutIdRegisterNothingAndLaterIdsReplace) {
  TestSkinWindow& window = Build(
      L"<Font name=\"Courier New\" size=\"30\" default=\"true\"/><Font id=\"1\" name=\"Arial\" size=\"10\"/>"
      L"<Font id=\"1\" name=\"Arial\" size=\"20\"/><Control/>");
  FontRegistry& fonts = window.GetManager().Fonts();
  EXPECT_NE(fonts.Default().face, L"Courier New");
  EXPECT_EQ(fonts.Get(1).size, 20);
}

TEST_F(BuilderTest, BoldFontRebuiltForAScaleAddsItsWeightToTheStockFont) {
  TestSkinWindow& window = Build(L"<Include source=\"default.xml\"/><Control/>");
  CSkinManagerUI& manager = window.GetManager();
  LOGFONTW registered{};
  GetObjectW(manager.Fonts().Get(4).Handle(), sizeof(registered), &registered);
  EXPECT_EQ(registered.lfWeight, FW_BOLD);

  manager.SetDPI(96);
  LOGFONTW stock{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(stock), &stock);
  LOGFONTW rebuilt{};
  GetObjectW(manager.Fonts().Get(4).Handle(), sizeof(rebuilt), &rebuilt);
  EXPECT_EQ(rebuilt.lfWeight, stock.lfWeight + FW_BOLD);
  EXPECT_EQ(rebuilt.lfQuality, CLEARTYPE_QUALITY);
  EXPECT_EQ(rebuilt.lfHeight, -12);
}

TEST_F(BuilderTest, WindowAttributesSetTheWindowsProperties) {
  TestSkinWindow window(
      L"<Window size=\"300,200\" caption=\"0,0,0,40\" sizebox=\"4,5,6,7\" bktrans=\"true\" shadowsize=\"90\">"
      L"<Control/></Window>");
  ASSERT_TRUE(window.CreateHidden());
  CSkinManagerUI& manager = window.GetManager();
  EXPECT_EQ(manager.GetInitSize().cx, 300);
  EXPECT_EQ(manager.GetInitSize().cy, 200);
  EXPECT_EQ(manager.GetCaptionRect().bottom, 40);
  EXPECT_EQ(manager.GetSizeBox().bottom, 7);
  EXPECT_TRUE(manager.IsLayered());

  TestSkinWindow upper_case(L"<Window BKTRANS=\"true\"><Control/></Window>");
  ASSERT_TRUE(upper_case.CreateHidden());
  EXPECT_FALSE(upper_case.GetManager().IsLayered());
}

TEST_F(BuilderTest, UnknownAttributesAreReportedWithTheirFileAndElementAndChangeNothing) {
  RecordingDiagnostics diagnostics;
  TestSkinWindow window(
      L"<Window size=\"200,100\" BKTRANS=\"true\" Colour=\"1\"><Default name=\"Label\" value=\"fade=&quot;9&quot;\"/>"
      L"<VerticalLayout inset=\"1,1,1,1\" spacing=\"4\"><Label name=\"l\" text=\"t\" TextColor=\"#ff00ff00\"/>"
      L"<Slider name=\"s\" thumbsize=\"0,0\" value=\"5\"/><Include source=\"odd.xml\"/></VerticalLayout></Window>");
  ASSERT_TRUE(window.CreateHidden());
  using Report = RecordingDiagnostics::UnknownAttributeReport;
  const std::vector<Report> expected = {
      {L"(markup text)", L"Window", L"BKTRANS"},   {L"(markup text)", L"Window", L"Colour"},
      {L"(markup text)", L"VerticalLayout", L"spacing"}, {L"(markup text)", L"Label", L"fade"},
      {L"(markup text)", L"Slider", L"thumbsize"}, {L"odd.xml", L"Button", L"shade"},
  };
  EXPECT_EQ(diagnostics.unknown_attributes.size(), expected.size());
  for (const Report& report : expected) {
    EXPECT_NE(std::find(diagnostics.unknown_attributes.begin(), diagnostics.unknown_attributes.end(), report),
              diagnostics.unknown_attributes.end())
        << WideToCodePage(CP_UTF8, report.file) << " " << WideToCodePage(CP_UTF8, report.element) << " "
        << WideToCodePage(CP_UTF8, report.attribute);
  }
  // The known attributes around them still count, whatever their case.
  EXPECT_EQ(window.Find(L"l")->GetText(), L"t");
  EXPECT_EQ(static_cast<CProgressUI*>(window.Find(L"s"))->GetValue(), 5);
  EXPECT_NE(window.Find(L"b"), nullptr);
  EXPECT_FALSE(window.GetManager().IsLayered());
  EXPECT_TRUE(diagnostics.failed_files.empty());
}

TEST_F(BuilderTest, AnIncludedFileThatFailsIsReportedAndItsSiblingsBuilt) {
  RecordingDiagnostics diagnostics;
  TestSkinWindow& window =
      Build(L"<VerticalLayout><Include source=\"absent.xml\"/><Include source=\"broken.xml\"/>"
            L"<Label name=\"after\"/></VerticalLayout>");
  EXPECT_NE(window.Find(L"after"), nullptr);
  ASSERT_EQ(diagnostics.failed_files.size(), 2u);
  EXPECT_EQ(diagnostics.failed_files[0].file, L"absent.xml");
  EXPECT_EQ(diagnostics.failed_files[0].error, "Could not find ziped file");
  EXPECT_EQ(diagnostics.failed_files[1].file, L"broken.xml");
  EXPECT_EQ(diagnostics.failed_files[1].error.rfind("line 1, column ", 0), 0u) << diagnostics.failed_files[1].error;
}

struct FailureCase {
  const wchar_t* skin;
  const char* error;
  const wchar_t* file;
};

class BuilderFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(BuilderFailureTest, GivesNoTreeAndSaysWhy) {
  RecordingDiagnostics diagnostics;
  CSkinManagerUI manager;
  CSkinBuilder builder;
  EXPECT_EQ(builder.Create(GetParam().skin, nullptr, nullptr, &manager), nullptr);
  EXPECT_NE(builder.ErrorText().find(GetParam().error), std::string::npos) << builder.ErrorText();
  // The diagnostics hear the same text, with the file it is about.
  ASSERT_EQ(diagnostics.failed_files.size(), 1u);
  EXPECT_EQ(diagnostics.failed_files[0].file, GetParam().file);
  EXPECT_EQ(diagnostics.failed_files[0].error, builder.ErrorText());
}

INSTANTIATE_TEST_SUITE_P(Skins, BuilderFailureTest,
                         testing::Values(FailureCase{L"missing.xml", "Could not find ziped file", L"missing.xml"},
                                         FailureCase{L"broken.xml", "line 1", L"broken.xml"},
                                         FailureCase{L"<Window>\n<Label text=unquoted/></Window>", "line 2, column 13",
                                                     L"(markup text)"}));

TEST(SkinArchiveTest, OnlyTheFirstArchiveCounts) {
  const std::string other = BuildZip({{"other.xml", "<Window><Control/></Window>"}});
  CSkinManagerUI::SetResourceZip(other.data(), static_cast<unsigned>(other.size()), nullptr);
  EXPECT_FALSE(SkinResources::Process().ReadSkinXml(L"other.xml").Succeeded());
  EXPECT_TRUE(SkinResources::Process().ReadSkinXml(L"DEFAULT.XML").Succeeded());
}

}  // namespace
}  // namespace SkinUI
