#include "httpport/client/http_request_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct UrlCase {
  const char* url;
  const char* host_port;
  const char* path;
  int port;
};

class UrlPartsTest : public testing::TestWithParam<UrlCase> {};

TEST_P(UrlPartsTest, SplitsHostPortAndPath) {
  const UrlCase& c = GetParam();
  EXPECT_EQ(ExtractHostPort(c.url), c.host_port);
  EXPECT_EQ(ExtractPath(c.url), c.path);
  EXPECT_EQ(ParsePort(ExtractHostPort(c.url)), c.port);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, UrlPartsTest,
    testing::Values(UrlCase{"http://127.0.0.2/d?dn=storage1.bokrin.invalid", "127.0.0.2",
                            "d?dn=storage1.bokrin.invalid", 80},
                    UrlCase{"http://localhost:8080", "localhost:8080", "", 8080},
                    UrlCase{"http://localhost:8080/", "localhost:8080", "", 8080},
                    UrlCase{"https://host.test/a/b?c=d/e", "host.test", "a/b?c=d/e", 80},
                    UrlCase{"https://host.test:443/x", "host.test:443", "x", 443},
                    UrlCase{"host.test:81/p", "host.test:81", "p", 81},
                    // The first "http://" counts even when "https://" comes earlier.
                    UrlCase{"https://a.test/?u=http://b.test/c", "b.test", "c", 80},
                    UrlCase{"http://h:/p", "h:", "p", 0},
                    UrlCase{"http://h:x12/p", "h:x12", "p", 0},
                    UrlCase{"http://h:12ab/p", "h:12ab", "p", 12},
                    UrlCase{"http://h:-5/p", "h:-5", "p", -5},
                    UrlCase{"http://h:99999999999999999999/p", "h:99999999999999999999", "p", 2147483647}));

TEST(HostWithoutPortTest, CutsAtFirstColon) {
  EXPECT_EQ(HostWithoutPort("host.test:80"), "host.test");
  EXPECT_EQ(HostWithoutPort("host.test"), "host.test");
  EXPECT_EQ(HostWithoutPort(":80"), "");
}

struct Ipv4Case {
  const char* text;
  bool looks_like_ipv4;
  bool dotted_quad;
};

class Ipv4TextTest : public testing::TestWithParam<Ipv4Case> {};

TEST_P(Ipv4TextTest, ClassifiesText) {
  EXPECT_EQ(LooksLikeIpv4(GetParam().text), GetParam().looks_like_ipv4) << GetParam().text;
  EXPECT_EQ(IsDottedQuad(GetParam().text), GetParam().dotted_quad) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, Ipv4TextTest,
                         testing::Values(Ipv4Case{"127.0.0.1", true, true},
                                         Ipv4Case{"255.255.255.255", true, true},
                                         Ipv4Case{"0.0.0.0", true, true},
                                         Ipv4Case{"256.1.1.1", false, false},
                                         Ipv4Case{"1.1.1.300", false, false},
                                         Ipv4Case{"1.2.3.4.5", false, false},
                                         Ipv4Case{"1.2.3", true, false},
                                         Ipv4Case{"1..2.3", true, false},
                                         Ipv4Case{".1.2.3", true, false},
                                         Ipv4Case{"1.2.3.", true, false},
                                         Ipv4Case{"1234.1.1.1", false, false},
                                         Ipv4Case{"1.2.3.4 ", false, false},
                                         Ipv4Case{"localhost", false, false},
                                         Ipv4Case{"1.2.3.a", false, false},
                                         Ipv4Case{"", false, false}));

TEST(BuildRequestTextTest, QueryUrlGivesPathTargetAndAddressHost) {
  EXPECT_EQ(BuildRequestText("GET", "http://127.0.0.2/d?dn=storage1.bokrin.invalid"),
            "GET /d?dn=storage1.bokrin.invalid HTTP/1.1\r\n"
            "Accept: */*\r\n"
            "Accept-Language: cn\r\n"
            "User-Agent: Mozilla/4.0\r\n"
            "Host: 127.0.0.2\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: Keep-Alive\r\n"
            "\r\n");
}

TEST(BuildRequestTextTest, UrlWithPortAndNoPathTargetsRoot) {
  const std::string text = BuildRequestText("GET", "http://localhost:8080");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "GET / HTTP/1.1");
  EXPECT_NE(text.find("\r\nHost: localhost:8080\r\n"), std::string::npos);
}

struct CompletenessCase {
  const char* name;
  std::string response;
  bool complete;
};

class ResponseCompleteTest : public testing::TestWithParam<CompletenessCase> {};

TEST_P(ResponseCompleteTest, KnowsWhenTheBodyHasArrived) {
  EXPECT_EQ(ResponseComplete(GetParam().response), GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Responses, ResponseCompleteTest,
    testing::Values(
        CompletenessCase{"HeadersOnlyPartly", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n", false},
        CompletenessCase{"HeaderBlockWithoutBody", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n", false},
        CompletenessCase{"BodyPartly", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{", false},
        CompletenessCase{"BodyWhole", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\n{}", true},
        CompletenessCase{"HeaderNameInAnyCase", "HTTP/1.1 200 OK\r\ncontent-LENGTH:2\r\n\r\n{}", true},
        CompletenessCase{"EmptyBody", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true},
        CompletenessCase{"LengthInAnotherHeaderValue", "HTTP/1.1 200 OK\r\nX-Note: Content-Length: 0\r\n\r\n", false},
        CompletenessCase{"NoLengthEndsAtClose", "HTTP/1.1 200 OK\r\nServer: t\r\n\r\n{}", false},
        CompletenessCase{"ChunkedUnfinished", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n", false},
        CompletenessCase{"ChunkedFinished", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n", true},
        CompletenessCase{"ChunkedEmpty", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", true}),
    [](const testing::TestParamInfo<CompletenessCase>& info) { return std::string(info.param.name); });

}  // namespace
