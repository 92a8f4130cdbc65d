#include "engine/registration_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistrationTexts, OpenCommandQuotesExecutableAndDocument) {
  EXPECT_EQ(OpenCommandText(U16("D:\\Apps\\Bokrin\\")),
            U16("\"D:\\Apps\\Bokrin\\Bokrin.exe\" \"%1\""));
  EXPECT_EQ(OpenCommandText(U16("C:\\程序\\Bokrin 阅读\\")),
            U16("\"C:\\程序\\Bokrin 阅读\\Bokrin.exe\" \"%1\""));
}

TEST(RegistrationTexts, LaunchParametersEndEachQuotedDirectoryWithBackslash) {
  struct Case {
    const Utf16Char* install_dir;
    const Utf16Char* parameters;
  };
  const Case cases[] = {
      {U16("C:\\Apps\\Bokrin\\"), U16("\"C:\\Apps\\Bokrin\\\" \"C:\\Apps\\Bokrin\\openglessl\\\"")},
      // A missing recorded directory still gives two quoted parts.
      {U16(""), U16("\"\" \"openglessl\\\"")},
      {U16("D:\\阅读 器\\"), U16("\"D:\\阅读 器\\\" \"D:\\阅读 器\\openglessl\\\"")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LaunchParameters(c.install_dir), c.parameters);
  }
}

TEST(RegistrationTexts, LinkWorkingDirectoryStopsBeforeLastSeparator) {
  struct Case {
    const Utf16Char* target;
    const Utf16Char* directory;
  };
  const Case cases[] = {
      {U16("C:\\Apps\\Bokrin\\Bokrin.exe"), U16("C:\\Apps\\Bokrin")},
      {U16("C:/Apps/Bokrin/Bokrin.exe"), U16("C:/Apps/Bokrin")},
      {U16("C:\\Apps/Bokrin\\Bokrin.exe"), U16("C:\\Apps/Bokrin")},
      {U16("C:\\Apps\\Bokrin\\"), U16("C:\\Apps\\Bokrin")},
      {U16("Bokrin.exe"), U16("Bokrin.exe")},
      {U16(""), U16("")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LinkWorkingDirectory(c.target), c.directory);
  }
}

TEST(RegistrationTexts, UninstallEntryNamesFilesOfInstallDirectoryInWriteOrder) {
  const std::vector<RegistryText> values =
      UninstallEntryValues(U16("D:\\Apps\\Bokrin\\"), U16("1.13.6"));
  ASSERT_EQ(values.size(), 5u);
  const RegistryText expected[] = {
      {U16("DisplayIcon"), U16("D:\\Apps\\Bokrin\\Bokrin.exe")},
      {U16("DisplayName"), U16("Bokrin阅读")},
      {U16("DisplayVersion"), U16("1.13.6")},
      {U16("UninstallString"), U16("\"D:\\Apps\\Bokrin\\Uninstall.exe\"")},
      {U16("Publisher"), U16("Quillmark")},
  };
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(WString(values[i].name), expected[i].name) << i;
    EXPECT_EQ(values[i].text, expected[i].text) << i;
  }
}

TEST(RegistrationTexts, EmptyVersionGivesEmptyDisplayVersion) {
  const std::vector<RegistryText> values = UninstallEntryValues(U16("C:\\B\\"), U16(""));
  ASSERT_EQ(values.size(), 5u);
  EXPECT_EQ(WString(values[2].name), U16("DisplayVersion"));
  EXPECT_TRUE(values[2].text.empty());
}

TEST(RegistrationTexts, DisplayVersionIsCutWithoutSplittingASurrogatePair) {
  const WString long_version(900 * 1024, U16('7'));
  // U+1F4D6, an open book: a pair of UTF-16 units.
  const WString book = U16("\xD83D\xDCD6");
  const WString sixty_three(63, U16('1'));
  const struct {
    WString version;
    WString kept;
  } cases[] = {
      {WString(64, U16('1')), WString(64, U16('1'))},
      {long_version, long_version.substr(0, 64)},
      // The pair would take units 64 and 65: it goes whole.
      {sixty_three + book + U16("2"), sixty_three},
      // The pair takes units 63 and 64: it stays whole.
      {WString(62, U16('1')) + book + U16("2"), WString(62, U16('1')) + book},
  };
  for (const auto& c : cases) {
    const std::vector<RegistryText> values = UninstallEntryValues(U16("C:\\B\\"), c.version);
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[2].text, c.kept) << c.version.size();
  }
}

}  // namespace
