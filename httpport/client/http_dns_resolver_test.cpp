#include "httpport/client/http_dns_resolver.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

constexpr char kHost1[] = "storage1.test";
constexpr char kHost2[] = "storage2.test";
constexpr char kHost3[] = "version.test";
constexpr char kHost4[] = "storage4.test";
constexpr char kVendorUrl[] = "http://10.0.0.53/v1/d?dn=storage1.test,storage2.test,version.test,storage4.test";

std::string HttpReply(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string VendorReply(const std::string& data) { return HttpReply("{\"retCode\":0,\"data\":[" + data + "]}"); }

std::string VendorElement(const std::string& dn, const std::string& item) {
  return "{\"dn\":\"" + dn + "\",\"item\":\"" + item + "\",\"type\":\"A\",\"ttl\":600}";
}

// The services' side: scripted answers per service, in order, and every URL asked for.
// A service without a scripted answer left fails the request.
class ResolverTest : public testing::Test {
 protected:
  ResolverTest()
      : resolver_(HttpDnsConfig{{kHost1, kHost2, kHost3, kHost4}, "10.0.0.53", "10.0.0.54"},
                  [this](const std::string& url, std::string* response) { return Get(url, response); }) {}

  bool Get(const std::string& url, std::string* response) {
    requests_.push_back(url);
    std::deque<std::string>& answers = url.find("/v1/d?") != std::string::npos ? vendor_ : public_;
    if (answers.empty()) return false;
    *response = answers.front();
    answers.pop_front();
    return true;
  }

  std::string Url(const char* host, const char* path = "/bokrin/api/version?a=1") {
    return std::string("https://") + host + path;
  }

  HttpDnsResolver resolver_;
  std::deque<std::string> vendor_;
  std::deque<std::string> public_;
  std::vector<std::string> requests_;
};

TEST_F(ResolverTest, UnknownHostsCauseNoTraffic) {
  for (const char* url : {"https://other.test/x", "https://storage1.test:443/x", "ftp://storage1.test/x",
                          "storage1.test/x", "https:///x", "https://STORAGE1.TEST/x", ""}) {
    const ResolvedUrl resolved = resolver_.Resolve(url);
    EXPECT_EQ(resolved.index, 0) << url;
    EXPECT_EQ(resolved.url, url);
    EXPECT_EQ(resolved.newUrl, "") << url;
    EXPECT_EQ(resolved.host, "") << url;
  }
  EXPECT_TRUE(requests_.empty());
}

TEST_F(ResolverTest, VendorAnswerReplacesTheHost) {
  vendor_.push_back(VendorReply(VendorElement(kHost3, "192.0.2.3") + "," + VendorElement(kHost4, "192.0.2.4")));
  const ResolvedUrl resolved = resolver_.Resolve(Url(kHost4, "/files/storage4.test/p.zip"));
  EXPECT_EQ(requests_, std::vector<std::string>{kVendorUrl});
  EXPECT_EQ(resolved.index, 4);
  EXPECT_EQ(resolved.host, kHost4);
  EXPECT_EQ(resolved.ip, "192.0.2.4");
  // Only the host after the scheme changes; the path keeps its copy of the name.
  EXPECT_EQ(resolved.newUrl, "https://192.0.2.4/files/storage4.test/p.zip");
  EXPECT_EQ(resolved.url, "https://storage4.test/files/storage4.test/p.zip");
}

TEST_F(ResolverTest, VendorIsAskedOnceWhenItsFirstAnswerWasStored) {
  vendor_.push_back(VendorReply(VendorElement(kHost3, "192.0.2.3")));
  EXPECT_EQ(resolver_.Resolve(Url(kHost3)).newUrl, "https://192.0.2.3/bokrin/api/version?a=1");
  public_.push_back(HttpReply("192.0.2.44"));
  EXPECT_EQ(resolver_.Resolve(Url(kHost4)).newUrl, "https://192.0.2.44/bokrin/api/version?a=1");
  EXPECT_EQ(requests_, (std::vector<std::string>{kVendorUrl, "http://10.0.0.54/d?dn=storage4.test"}));
}

TEST_F(ResolverTest, VendorIsAskedAgainUntilAnAnswerAddsElements) {
  vendor_.push_back(HttpReply("{\"retCode\":1,\"data\":[" + VendorElement(kHost3, "192.0.2.3") + "]}"));
  vendor_.push_back(HttpReply("{\"data\":[" + VendorElement(kHost3, "192.0.2.3") + "]}"));
  vendor_.push_back(VendorReply(""));
  vendor_.push_back(HttpReply("not json at all"));
  vendor_.push_back(VendorReply(VendorElement(kHost3, "192.0.2.33")));
  for (int attempt = 0; attempt < 4; ++attempt) {
    EXPECT_EQ(resolver_.Resolve(Url(kHost3)).newUrl, "") << attempt;
    EXPECT_TRUE(resolver_.VendorHosts().empty());
  }
  EXPECT_EQ(resolver_.Resolve(Url(kHost3)).ip, "192.0.2.33");
  EXPECT_EQ(resolver_.Resolve(Url(kHost3)).ip, "192.0.2.33");
  size_t vendor_requests = 0;
  for (const auto& url : requests_) vendor_requests += url == kVendorUrl;
  EXPECT_EQ(vendor_requests, 5u);
}

struct PreferenceCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> answer;  // dn, item
  std::string resolved_host;
  int32_t index;
  std::string host;
  std::string ip;
};

class VendorPreferenceTest : public ResolverTest, public testing::WithParamInterface<PreferenceCase> {};

TEST_P(VendorPreferenceTest, PicksTheRightAnswer) {
  const PreferenceCase& c = GetParam();
  std::string data;
  for (const auto& [dn, item] : c.answer) data += (data.empty() ? "" : ",") + VendorElement(dn, item);
  vendor_.push_back(VendorReply(data));
  const ResolvedUrl resolved = resolver_.Resolve(Url(c.resolved_host.c_str()));
  EXPECT_EQ(resolved.index, c.index);
  EXPECT_EQ(resolved.host, c.host);
  EXPECT_EQ(resolved.ip, c.ip);
  EXPECT_EQ(resolved.newUrl, c.ip.empty() ? "" : "https://" + c.ip + "/bokrin/api/version?a=1");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, VendorPreferenceTest,
    testing::Values(
        PreferenceCase{"Host2ServesHost1", {{kHost2, "192.0.2.2"}}, kHost1, 2, kHost2, "192.0.2.2"},
        PreferenceCase{"LastHost2Counts", {{kHost2, "192.0.2.2"}, {kHost2, "192.0.2.22"}}, kHost1, 2, kHost2, "192.0.2.22"},
        PreferenceCase{"ExactAfterHost2Wins", {{kHost2, "192.0.2.2"}, {kHost1, "192.0.2.1"}, {kHost2, "192.0.2.22"}}, kHost1, 1, kHost1, "192.0.2.1"},
        PreferenceCase{"ExactBeforeHost2Wins", {{kHost1, "192.0.2.1"}, {kHost2, "192.0.2.2"}}, kHost1, 1, kHost1, "192.0.2.1"},
        PreferenceCase{"FirstExactWins", {{kHost3, "192.0.2.3"}, {kHost3, "192.0.2.33"}}, kHost3, 3, kHost3, "192.0.2.3"},
        PreferenceCase{"Host1DoesNotServeHost2", {{kHost1, "192.0.2.1"}}, kHost2, 0, "", ""},
        PreferenceCase{"Host2DoesNotServeHost3", {{kHost2, "192.0.2.2"}}, kHost3, 0, "", ""},
        PreferenceCase{"NamesCompareExactly", {{"Storage1.test", "192.0.2.1"}}, kHost1, 0, "", ""}),
    [](const testing::TestParamInfo<PreferenceCase>& info) { return std::string(info.param.name); });

TEST_F(ResolverTest, ElementWithoutDnIsStoredButNeverPicked) {
  vendor_.push_back(HttpReply("{\"retCode\":0,\"data\":[{\"item\":\"192.0.2.9\",\"ttl\":\"x\"}," +
                              VendorElement(kHost4, "192.0.2.4") + "]}"));
  EXPECT_EQ(resolver_.Resolve(Url(kHost1)).newUrl, "");
  ASSERT_EQ(resolver_.VendorHosts().size(), 2u);
  const VendorHostRecord& without_dn = resolver_.VendorHosts()[0];
  EXPECT_EQ(without_dn.index, 0);
  EXPECT_EQ(without_dn.dn, "");
  EXPECT_EQ(without_dn.item, "192.0.2.9");
  EXPECT_EQ(without_dn.ttl, 0);
  const VendorHostRecord& host4 = resolver_.VendorHosts()[1];
  EXPECT_EQ(host4.index, 4);
  EXPECT_EQ(host4.type, "A");
  EXPECT_EQ(host4.ttl, 600);
  // Host 1 found nothing with the vendor and went on to the public service.
  EXPECT_EQ(requests_.back(), "http://10.0.0.54/d?dn=storage1.test");
}

struct VendorItemCase {
  const char* name;
  std::string item;
  bool kept;
};

class VendorItemTest : public ResolverTest, public testing::WithParamInterface<VendorItemCase> {};

// The address takes the host's place in the URL, so only a plain dotted IPv4 address may.
TEST_P(VendorItemTest, OnlyPlainAddressesAreKept) {
  const VendorItemCase& c = GetParam();
  vendor_.push_back(VendorReply(VendorElement(kHost3, c.item)));
  const ResolvedUrl resolved = resolver_.Resolve(Url(kHost3));
  EXPECT_EQ(resolved.newUrl, c.kept ? "https://" + c.item + "/bokrin/api/version?a=1" : "");
  EXPECT_EQ(resolver_.VendorHosts().size(), c.kept ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Items, VendorItemTest,
    testing::Values(
        VendorItemCase{"Address", "192.0.2.3", true},
        VendorItemCase{"PathAndQuery", "127.0.0.1/evil/path?x=", false},
        VendorItemCase{"Port", "127.0.0.1:8443", false},
        VendorItemCase{"UserInfo", "evil.test@127.0.0.1", false},
        VendorItemCase{"Fragment", "127.0.0.1#x", false},
        VendorItemCase{"HostName", "evil.test", false},
        VendorItemCase{"Blanks", " 192.0.2.3", false},
        VendorItemCase{"GroupTooLarge", "192.0.2.256", false},
        VendorItemCase{"ThreeGroups", "192.0.2", false},
        VendorItemCase{"FiveGroups", "192.0.2.3.4", false},
        VendorItemCase{"Empty", "", false}),
    [](const testing::TestParamInfo<VendorItemCase>& info) { return std::string(info.param.name); });

TEST_F(ResolverTest, JsonIsFoundWithinOtherText) {
  vendor_.push_back("HTTP/1.1 200 OK\r\n\r\nvalue: " + std::string("{\"retCode\":0,\"data\":[") +
                    VendorElement(kHost3, "192.0.2.3") + "]} trailing");
  EXPECT_EQ(resolver_.Resolve(Url(kHost3)).ip, "192.0.2.3");
}

TEST_F(ResolverTest, PublicAnswerServesWhenTheVendorFails) {
  public_.push_back(HttpReply("192.0.2.7;192.0.2.8,600"));
  const ResolvedUrl resolved = resolver_.Resolve(Url(kHost2));
  EXPECT_EQ(resolved.index, 2);
  EXPECT_EQ(resolved.host, kHost2);
  EXPECT_EQ(resolved.newUrl, "https://192.0.2.7/bokrin/api/version?a=1");
  ASSERT_EQ(resolver_.PublicHosts().size(), 1u);
  EXPECT_EQ(resolver_.PublicHosts()[0].addresses, (std::vector<std::string>{"192.0.2.7", "192.0.2.8"}));

  // Host 1 takes host 2's stored public answer without asking anybody but the vendor again.
  requests_.clear();
  const ResolvedUrl host1 = resolver_.Resolve(Url(kHost1));
  EXPECT_EQ(host1.index, 2);
  EXPECT_EQ(host1.host, kHost2);
  EXPECT_EQ(host1.ip, "192.0.2.7");
  EXPECT_EQ(requests_, std::vector<std::string>{kVendorUrl});
}

TEST_F(ResolverTest, PublicReplyWithoutAddressesStoresNothingAndIsAskedAgain) {
  public_.push_back(HttpReply("<html>nothing here</html>"));
  public_.push_back(HttpReply(""));
  public_.push_back(HttpReply("192.0.2.5"));
  EXPECT_EQ(resolver_.Resolve(Url(kHost4)).newUrl, "");
  EXPECT_EQ(resolver_.Resolve(Url(kHost4)).newUrl, "");
  EXPECT_TRUE(resolver_.PublicHosts().empty());
  EXPECT_EQ(resolver_.Resolve(Url(kHost4)).ip, "192.0.2.5");
  EXPECT_EQ(resolver_.Resolve(Url(kHost4)).ip, "192.0.2.5");
  EXPECT_EQ(resolver_.PublicHosts().size(), 1u);
}

struct PublicReplyCase {
  const char* name;
  std::string response;
  std::vector<std::string> addresses;
};

class ParsePublicDnsReplyTest : public testing::TestWithParam<PublicReplyCase> {};

TEST_P(ParsePublicDnsReplyTest, KeepsOnlyCompleteAddresses) {
  EXPECT_EQ(ParsePublicDnsReply(GetParam().response), GetParam().addresses);
}

const std::string kHead = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Replies, ParsePublicDnsReplyTest,
    testing::Values(
        PublicReplyCase{"OneAddress", kHead + "1.2.3.4", {"1.2.3.4"}},
        PublicReplyCase{"ListAndTtl", kHead + "1.2.3.4;5.6.7.8,600", {"1.2.3.4", "5.6.7.8"}},
        PublicReplyCase{"LineEndsAndBlanks", kHead + " 1.2.3.4 ;\r\n5.6.7.8\r\n", {"1.2.3.4", "5.6.7.8"}},
        PublicReplyCase{"InvalidEntriesLeftOut", kHead + "1.2.3;256.1.1.1;a.b.c.d;;9.9.9.9;1.2.3.4.5", {"9.9.9.9"}},
        PublicReplyCase{"AddressesAfterTheCommaAreNotAddresses", kHead + "1.2.3.4,5.6.7.8", {"1.2.3.4"}},
        PublicReplyCase{"EmptyBody", kHead, {}},
        PublicReplyCase{"Garbage", kHead + "\x01\xff{}[];,,;", {}},
        PublicReplyCase{"NoHeaderBlock", "1.2.3.4", {}},
        PublicReplyCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<PublicReplyCase>& info) { return std::string(info.param.name); });

TEST(ExtractHostTest, TakesTheHostAfterTheScheme) {
  EXPECT_EQ(HttpDnsResolver::ExtractHost("http://a.test/x/y"), "a.test");
  EXPECT_EQ(HttpDnsResolver::ExtractHost("https://a.test"), "a.test");
  EXPECT_EQ(HttpDnsResolver::ExtractHost("https://a.test:8443/x"), "a.test:8443");
  EXPECT_EQ(HttpDnsResolver::ExtractHost("HTTPS://a.test/x"), "");
  EXPECT_EQ(HttpDnsResolver::ExtractHost("x https://a.test/"), "");
}

}  // namespace
