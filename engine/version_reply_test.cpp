#include "engine/version_reply.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

WString Wide(const String16& text) { return WString(text.CStr(), text.Length()); }

TEST(VersionReplyTest, ReadsEveryFieldOfACompleteReply) {
  ReleaseInfo release;
  QueryStatus status;
  ReadVersionReply(
      R"({"result_code":0,"message":"ok","data":{"laster":true,"version_no":"1.14.0","info":"fixes",)"
      R"("publish_time":"2026-12-01 10:00","size":123456,"url":"https://storage1.example/p.zip",)"
      R"("encrypt_file":"e","strategy":3,"version_code":"114000"}})",
      &release, &status);
  EXPECT_TRUE(release.latest);
  EXPECT_EQ(Wide(release.versionNo), U16("1.14.0"));
  EXPECT_EQ(Wide(release.info), U16("fixes"));
  EXPECT_EQ(Wide(release.publishTime), U16("2026-12-01 10:00"));
  EXPECT_EQ(release.size, 123456);
  EXPECT_EQ(Wide(release.url), U16("https://storage1.example/p.zip"));
  EXPECT_EQ(Wide(release.encryptFile), U16("e"));
  EXPECT_EQ(release.strategy, 3);
  EXPECT_EQ(Wide(release.versionCode), U16("114000"));
  EXPECT_EQ(status.code, 0);
  EXPECT_EQ(Wide(status.message), U16("ok"));
}

// Text around the object, as a byte-order mark, a header or a trailing newline puts it there.
TEST(VersionReplyTest, FindsTheObjectBetweenTheOuterBraces) {
  for (const char* body : {"\xEF\xBB\xBF{\"data\":{\"url\":\"u\"}}\r\n",
                           "HTTP/1.1 200 OK\r\n\r\n{\"data\":{\"url\":\"u\"}}\n\n"}) {
    ReleaseInfo release;
    ReadVersionReply(body, &release, nullptr);
    EXPECT_EQ(Wide(release.url), U16("u")) << body;
  }
}

TEST(VersionReplyTest, BodiesWithoutAnObjectSetNothing) {
  for (const char* body : {"", "no braces", "{", "}", "} {", "{not json}", "<html>502</html>"}) {
    ReleaseInfo release;
    release.url = U16("kept");
    QueryStatus status;
    status.code = 7;
    ReadVersionReply(body, &release, &status);
    EXPECT_EQ(Wide(release.url), U16("kept")) << body;
    EXPECT_EQ(status.code, 7) << body;
  }
}

struct LatestCase {
  const char* value;
  bool latest;
};

class LatestFlagTest : public testing::TestWithParam<LatestCase> {};

TEST_P(LatestFlagTest, IsTheIntegerReadingOfLaster) {
  ReleaseInfo release;
  release.latest = !GetParam().latest;
  const std::string body = std::string("{\"data\":{\"laster\":") + GetParam().value + "}}";
  ReadVersionReply(body.c_str(), &release, nullptr);
  EXPECT_EQ(release.latest, GetParam().latest) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, LatestFlagTest,
                         testing::Values(LatestCase{"true", true}, LatestCase{"1", true},
                                         LatestCase{"2", true}, LatestCase{"-1", true},
                                         LatestCase{"0.5", false}, LatestCase{"\"1\"", false},
                                         LatestCase{"false", false}, LatestCase{"0", false},
                                         LatestCase{"null", false}));

TEST(VersionReplyTest, SizeBeyond32BitsArrivesWhole) {
  ReleaseInfo release;
  ReadVersionReply(R"({"data":{"size":6442450944}})", &release, nullptr);
  EXPECT_EQ(release.size, 6442450944LL);
}

TEST(VersionReplyTest, MissingKeysKeepTheirValues) {
  ReleaseInfo release;
  release.versionCode = U16("old-code");
  release.strategy = 9;
  release.url = U16("old-url");
  ReadVersionReply(R"({"data":{"strategy":4}})", &release, nullptr);
  EXPECT_EQ(release.strategy, 4);
  EXPECT_EQ(Wide(release.versionCode), U16("old-code"));
  EXPECT_EQ(Wide(release.url), U16("old-url"));

  ReadVersionReply(R"({"data":{"version_code":"new-code"}})", &release, nullptr);
  EXPECT_EQ(Wide(release.versionCode), U16("new-code"));
  EXPECT_EQ(release.strategy, 4);
}

TEST(VersionReplyTest, TextKeyWithAnotherTypeGivesAnEmptyText) {
  ReleaseInfo release;
  release.url = U16("old-url");
  release.versionNo = U16("old");
  ReadVersionReply(R"({"data":{"url":17,"version_no":null}})", &release, nullptr);
  EXPECT_TRUE(release.url.IsEmpty());
  EXPECT_TRUE(release.versionNo.IsEmpty());
}

TEST(VersionReplyTest, NonAsciiVersionTextArrivesAsTheSameCharacters) {
  ReleaseInfo release;
  ReadVersionReply("{\"data\":{\"version_no\":\"\xE6\x98\xA5\xE5\xAD\xA3\xE7\x89\x88 \xF0\x9F\x93\x96\"}}",
                   &release, nullptr);
  EXPECT_EQ(Wide(release.versionNo), U16("春季版 📖"));
}

TEST(VersionReplyTest, StatusCodeIsTheLow32BitsOfResultCode) {
  struct {
    const char* body;
    int32_t code;
  } const cases[] = {{R"({"result_code":0})", 0},
                     {R"({"result_code":1001,"data":{"url":"u"}})", 1001},
                     {R"({"result_code":-5})", -5},
                     {R"({"result_code":4294967297})", 1},
                     {R"({"result_code":true})", 1},
                     {R"({"result_code":"3"})", 0}};
  for (const auto& c : cases) {
    QueryStatus status;
    status.code = 99;
    ReleaseInfo release;
    ReadVersionReply(c.body, &release, &status);
    EXPECT_EQ(status.code, c.code) << c.body;
  }
}

TEST(VersionReplyTest, WithoutAStatusRecordTheStatusKeysAreSkipped) {
  ReleaseInfo release;
  ReadVersionReply(R"({"result_code":3,"message":"m","data":{"url":"u"}})", &release, nullptr);
  EXPECT_EQ(Wide(release.url), U16("u"));
}

TEST(VersionReplyTest, DataThatIsNotAnObjectIsIgnored) {
  ReleaseInfo release;
  release.url = U16("kept");
  QueryStatus status;
  ReadVersionReply(R"({"result_code":0,"message":"fine","data":[{"url":"u"}]})", &release, &status);
  EXPECT_EQ(Wide(release.url), U16("kept"));
  EXPECT_EQ(Wide(status.message), U16("fine"));
}

}  // namespace
