#include "engine/install_locations.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct TextCase {
  WString given;
  WString expected;
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.given); }

class InstallDirTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(InstallDirTextTest, Completes) {
  EXPECT_EQ(GetParam().expected, CompleteInstallDirText(GetParam().given));
}

INSTANTIATE_TEST_SUITE_P(
    Table, InstallDirTextTest,
    ::testing::Values(TextCase{U16("D:\\Apps"), U16("D:\\Apps\\Bokrin\\")},
                      TextCase{U16("D:\\Apps\\"), U16("D:\\Apps\\Bokrin\\")},
                      TextCase{U16("D:/Apps/"), U16("D:/Apps/Bokrin\\")},
                      TextCase{U16("D:\\Tools\\Bokrin"), U16("D:\\Tools\\Bokrin\\")},
                      TextCase{U16("D:\\Tools\\Bokrin\\"), U16("D:\\Tools\\Bokrin\\")},
                      TextCase{U16("D:\\Tools\\Bokrin/"), U16("D:\\Tools\\Bokrin/")},
                      TextCase{U16("D:\\MyBokrinFiles"), U16("D:\\MyBokrinFiles\\")},
                      TextCase{U16("D:\\bokrin"), U16("D:\\bokrin\\Bokrin\\")},
                      TextCase{U16("D:\\BOKRIN\\"), U16("D:\\BOKRIN\\Bokrin\\")},
                      TextCase{U16("D:\\书籍"), U16("D:\\书籍\\Bokrin\\")},
                      TextCase{U16(""), U16("\\Bokrin\\")}));

struct BookCase {
  WString given;
  WString expected;
  bool added;
};

void PrintTo(const BookCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.given); }

class BookDirTextTest : public ::testing::TestWithParam<BookCase> {};

TEST_P(BookDirTextTest, Completes) {
  WString path = GetParam().given;
  EXPECT_EQ(GetParam().added, CompleteBookDirText(path));
  EXPECT_EQ(GetParam().expected, path);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BookDirTextTest,
    ::testing::Values(BookCase{U16("D:\\Books"), U16("D:\\Books\\BokrinEBooks\\"), true},
                      BookCase{U16("D:\\Books\\"), U16("D:\\Books\\BokrinEBooks\\"), true},
                      BookCase{U16("D:/Books/"), U16("D:/Books/BokrinEBooks\\"), true},
                      BookCase{U16("D:\\Books\\BokrinEBooks\\"), U16("D:\\Books\\BokrinEBooks\\"), false},
                      BookCase{U16("D:\\Books\\BokrinEBooks"), U16("D:\\Books\\BokrinEBooks\\"), false},
                      BookCase{U16("D:\\BokrinEBooks\\x"), U16("D:\\BokrinEBooks\\x\\"), false},
                      BookCase{U16("D:\\bokrinebooks\\"), U16("D:\\bokrinebooks\\BokrinEBooks\\"), true}));

class BookDirDisplayTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(BookDirDisplayTest, CutsBeforeTheFirstBookFolder) {
  EXPECT_EQ(GetParam().expected, BookDirDisplayText(GetParam().given));
}

INSTANTIATE_TEST_SUITE_P(
    Table, BookDirDisplayTest,
    ::testing::Values(TextCase{U16("D:\\Books\\BokrinEBooks\\"), U16("D:\\Books\\")},
                      TextCase{U16("D:\\BokrinEBooks\\x\\"), U16("D:\\")},
                      TextCase{U16("D:\\A\\BokrinEBooks\\B\\BokrinEBooks\\"), U16("D:\\A\\")},
                      TextCase{U16("D:\\Books\\"), U16("D:\\Books\\")},
                      TextCase{U16("D:\\Books\\bokrinebooks\\"), U16("D:\\Books\\bokrinebooks\\")}));

// What the page shows is completed by the pipeline back into the recorded directory.
TEST(BookDirRoundTripTest, ShownTextCompletesToTheRecordedDirectory) {
  for (const WString recorded : {WString(U16("D:\\Books\\BokrinEBooks\\")),
                                 WString(U16("C:\\Users\\a\\Bokrin\\eBooks\\BokrinEBooks\\"))}) {
    WString shown = BookDirDisplayText(recorded);
    CompleteBookDirText(shown);
    EXPECT_EQ(recorded, shown);
  }
}

TEST(SeparatorTest, LooksAtTheLastCharacterOnly) {
  EXPECT_FALSE(EndsWithSeparator(U16("")));
  EXPECT_FALSE(EndsWithSeparator(U16("D:\\a")));
  EXPECT_TRUE(EndsWithSeparator(U16("D:\\a\\")));
  EXPECT_TRUE(EndsWithSeparator(U16("D:/a/")));
  EXPECT_EQ(U16("\\"), WithTrailingSeparator(U16("")));
  EXPECT_EQ(U16("D:/a/"), WithTrailingSeparator(U16("D:/a/")));
  EXPECT_EQ(U16("D:\\a\\"), WithTrailingSeparator(U16("D:\\a")));
}

}  // namespace
