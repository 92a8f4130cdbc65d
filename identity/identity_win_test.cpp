#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "httpport/client/http_port.h"
#include "httpport/client/http_request_text.h"
#include "identity/client_identity.h"
#include "identity/guid_text.h"
#include "identity/machine_values.h"
#include "identity/os_name.h"
#include "identity/signed_url.h"

namespace {

std::string ParameterOf(const std::string& url, const std::string& key) {
  const size_t at = url.find("&" + key + "=");
  if (at == std::string::npos) return "<missing>";
  const size_t start = at + key.size() + 2;
  return url.substr(start, url.find('&', start) - start);
}

TEST(NewGuidTextTest, GivesADifferentWellFormedTextEachTime) {
  std::set<std::string> seen;
  for (int i = 0; i < 8; ++i) {
    const std::string text = NewGuidText().CStr();
    ASSERT_EQ(text.size(), 32u);
    for (size_t j = 0; j < text.size(); ++j) {
      const char c = text[j];
      const bool lower_field = j >= 12 && j < 16;
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) ||
                  (lower_field ? (c >= 'a' && c <= 'f') : (c >= 'A' && c <= 'F')))
          << text << " at " << j;
    }
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 8u);
}

TEST(GetOsNameTest, NamesAKnownRelease) {
  const std::string name = GetOsName().CStr();
  // Without a manifest that declares later releases the system reports itself as 6.2 at most.
  EXPECT_TRUE(name == "Windows8" || name == "Windows7" || name == "WindowsVista") << name;
}

TEST(GetScreenSizeTest, IsWidthTimesHeight) {
  const std::string size = GetScreenSize().CStr();
  const size_t star = size.find('*');
  ASSERT_NE(star, std::string::npos) << size;
  EXPECT_GT(std::stoi(size.substr(0, star)), 0) << size;
  EXPECT_GT(std::stoi(size.substr(star + 1)), 0) << size;
}

TEST(GetLocalIpTest, IsEmptyOrAnAddress) {
  EXPECT_STREQ(GetLocalIp().CStr(), "") << "no socket layer, no lookup";
  CCommPort socket_layer;
  const std::string ip = GetLocalIp().CStr();
  EXPECT_TRUE(ip.empty() || IsDottedQuad(ip)) << ip;
}

TEST(BuildSignedUrlTest, CarriesTheRunsIdentityAndASignature) {
  CHttpPort socket_layer;
  const std::string first = BuildSignedUrl("/bokrin/api/version", "1700000000123", true).CStr();
  const std::string second = BuildSignedUrl("/bokrin/api/version", MakeTimestamp(), true).CStr();
  EXPECT_EQ(first.rfind("https://localhost/bokrin/api/version?app=pc&br=&build=113005&client=pc&cv=1.13.5&ip=", 0), 0u)
      << first;
  EXPECT_EQ(ParameterOf(first, "tid"), ClientIdentity::Instance().RunId().CStr());
  EXPECT_EQ(ParameterOf(first, "tid").size(), 32u);
  EXPECT_EQ(ParameterOf(first, "tid"), ParameterOf(second, "tid"));
  EXPECT_EQ(ParameterOf(first, "model"), GetOsName().CStr());
  EXPECT_EQ(ParameterOf(first, "ov"), GetOsName().CStr());
  EXPECT_EQ(ParameterOf(first, "sc"), GetScreenSize().CStr());
  EXPECT_EQ(ParameterOf(first, "tm"), "1700000000123");
  EXPECT_EQ(ParameterOf(first, "sign").size(), 32u);
  EXPECT_NE(ParameterOf(first, "sign"), ParameterOf(second, "sign"));
}

}  // namespace
