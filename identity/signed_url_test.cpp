#include "identity/signed_url.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr char kPath[] = "/bokrin/api/version";
constexpr char kTimestamp[] = "1700000000123";

RequestIdentityValues SampleValues() {
  return {"192.168.1.5", "Windows8", "1920*1080", "3F2504E04F8911d39A0C0305E82C3301"};
}

std::string Query(const String8& url) {
  const std::string text = url.CStr();
  return text.substr(text.find('?') + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string SignOf(const String8& url) {
  const std::string text = url.CStr();
  const size_t at = text.rfind("&sign=");
  return at == std::string::npos ? std::string() : text.substr(at + 6);
}

TEST(ComposeSignedUrlTest, MatchesKnownSignedUrl) {
  const String8 url = ComposeSignedUrl("api.example.invalid", kPath, kTimestamp, SampleValues(), true);
  EXPECT_STREQ(url.CStr(),
               "https://api.example.invalid/bokrin/api/version?app=pc&br=&build=113005&client=pc"
               "&cv=1.13.5&ip=192.168.1.5&model=Windows8&os=windows&ov=Windows8&sc=1920*1080"
               "&suid=&tid=3F2504E04F8911d39A0C0305E82C3301&tm=1700000000123&uid="
               "&uuid=6B1F0C93D2A84E57B0C4F19E3A7D2C58&sign=f3cf961ff3a93da9b12a519e86f73770");
  EXPECT_STREQ(SigningKeyDigest(kTimestamp).CStr(), "46f9caef1af4f4da4710c97f674fc2ec");
}

TEST(ComposeSignedUrlTest, UnsignedQueryEndsWithLastParameter) {
  const String8 url = ComposeSignedUrl("h", kPath, kTimestamp, {"", "", "", ""}, false);
  EXPECT_TRUE(String8EndsWith(url, "&uuid=6B1F0C93D2A84E57B0C4F19E3A7D2C58"));
  EXPECT_EQ(std::string(url.CStr()).find("sign="), std::string::npos);
}

// Values that would sort before or after their neighbours if the whole items were not keyed.
TEST(ComposeSignedUrlTest, ParametersKeepTheirOrderWhateverTheValues) {
  const std::vector<RequestIdentityValues> value_sets = {
      {"", "", "", ""},
      {"~~~", "!", "~", "!"},
      {"0.0.0.0", "unknownOperatingSystem.", "0*0", ""},
      SampleValues(),
  };
  const std::vector<std::string> expected_keys = {"app", "br",   "build", "client", "cv",
                                                  "ip",  "model", "os",   "ov",     "sc",
                                                  "suid", "tid", "tm",   "uid",    "uuid", "sign"};
  for (const auto& values : value_sets) {
    const String8 url = ComposeSignedUrl("h", kPath, kTimestamp, values, true);
    std::vector<std::string> keys;
    for (const auto& item : Split(Query(url), '&')) keys.push_back(item.substr(0, item.find('=')));
    EXPECT_EQ(keys, expected_keys) << url.CStr();
    const std::string sign = SignOf(url);
    ASSERT_EQ(sign.size(), 32u);
    for (char c : sign) EXPECT_TRUE(std::isdigit(c) || (c >= 'a' && c <= 'f')) << sign;
  }
}

TEST(ComposeSignedUrlTest, SignatureCoversPathAndEveryValueWhileKeyFollowsTimestampOnly) {
  const std::string base = SignOf(ComposeSignedUrl("h", kPath, kTimestamp, SampleValues(), true));
  std::vector<RequestIdentityValues> changed(4, SampleValues());
  changed[0].ip = "192.168.1.6";
  changed[1].osName = "Windows7";
  changed[2].screenSize = "1920*1081";
  changed[3].runId = "3F2504E04F8911d39A0C0305E82C3302";
  for (const auto& values : changed) {
    EXPECT_NE(SignOf(ComposeSignedUrl("h", kPath, kTimestamp, values, true)), base);
  }
  EXPECT_NE(SignOf(ComposeSignedUrl("h", "/bokrin/api/versions", kTimestamp, SampleValues(), true)), base);
  EXPECT_NE(SignOf(ComposeSignedUrl("h", kPath, "1700000000124", SampleValues(), true)), base);
  // The host is not signed: the same request through another host name keeps its signature.
  EXPECT_EQ(SignOf(ComposeSignedUrl("other", kPath, kTimestamp, SampleValues(), true)), base);

  EXPECT_STRNE(SigningKeyDigest(kTimestamp).CStr(), SigningKeyDigest("1700000000124").CStr());
}

TEST(MakeTimestampTest, IsCurrentMillisecondsWithoutLeadingZeros) {
  // Bounds from the clock the stamp reads: std::time may follow a coarser clock that still shows
  // the last second when the precise one has passed into the next.
  const auto now_ms = [] {
    return static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::system_clock::now().time_since_epoch())
                                               .count());
  };
  const unsigned long long before = now_ms();
  const String8 stamp = MakeTimestamp();
  const unsigned long long after = now_ms() + 1;
  ASSERT_EQ(stamp.Length(), 13u);
  EXPECT_NE(stamp.CStr()[0], '0');
  for (size_t i = 0; i < stamp.Length(); ++i) EXPECT_TRUE(std::isdigit(stamp.CStr()[i]));
  const unsigned long long value = std::stoull(stamp.CStr());
  EXPECT_GE(value, before);
  EXPECT_LT(value, after);
}

}  // namespace
