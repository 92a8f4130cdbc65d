#include "httpport/client/http_dns_resolver.h"

#include <gtest/gtest.h>

#include <string>

#include "httpport/client/http_port.h"
#include "tools/services/service_control.h"

namespace {

constexpr char kPackageUrl[] = "https://storage4.bokrin.invalid/packages/Bokrin.zip";
constexpr char kVendorRequest[] =
    "GET /v1/d?dn=storage1.bokrin.invalid,storage2.bokrin.invalid,localhost,storage4.bokrin.invalid HTTP/1.1\r\n"
    "Accept: */*\r\n"
    "Accept-Language: cn\r\n"
    "User-Agent: Mozilla/4.0\r\n"
    "Host: 127.0.0.1\r\n"
    "Cache-Control: no-cache\r\n"
    "Connection: Keep-Alive\r\n"
    "\r\n";

// A fresh resolver over the socket client and the local HTTP DNS services (vendor on
// 127.0.0.1:80, public on 127.0.0.2:80), which answer 127.0.0.1 for every host.
class ResolverServicesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(services::Reset()) << "the local services are not running"; }
  void TearDown() override { services::Reset(); }

  CCommPort socket_layer_;
  HttpDnsResolver resolver_{ConfiguredHttpDnsConfig(), HttpPortGet};
};

TEST_F(ResolverServicesTest, VendorAnswerIsUsed) {
  const ResolvedUrl resolved = resolver_.Resolve(kPackageUrl);
  EXPECT_EQ(resolved.newUrl, "https://127.0.0.1/packages/Bokrin.zip");
  EXPECT_EQ(resolved.host, "storage4.bokrin.invalid");
  EXPECT_EQ(resolved.index, 4);
  EXPECT_EQ(resolver_.VendorHosts().size(), 4u);
  EXPECT_EQ(services::LastRequest("vendor-dns"), kVendorRequest);
  EXPECT_EQ(services::LastRequest("public-dns"), "");
}

TEST_F(ResolverServicesTest, VendorBodyInALaterSegmentIsRead) {
  ASSERT_TRUE(services::SetMode("vendor-dns", "split"));
  EXPECT_EQ(resolver_.Resolve(kPackageUrl).newUrl, "https://127.0.0.1/packages/Bokrin.zip");
  EXPECT_EQ(resolver_.VendorHosts().size(), 4u);
  EXPECT_EQ(services::LastRequest("public-dns"), "");
}

TEST_F(ResolverServicesTest, VendorRefusalFallsBackToThePublicServiceAndIsAskedAgain) {
  ASSERT_TRUE(services::SetMode("vendor-dns", "retcode1"));
  const ResolvedUrl resolved = resolver_.Resolve(kPackageUrl);
  EXPECT_EQ(resolved.newUrl, "https://127.0.0.1/packages/Bokrin.zip");
  EXPECT_EQ(resolved.host, "storage4.bokrin.invalid");
  EXPECT_TRUE(resolver_.VendorHosts().empty());
  const std::string public_request = services::LastRequest("public-dns");
  EXPECT_EQ(public_request.substr(0, public_request.find("\r\n")), "GET /d?dn=storage4.bokrin.invalid HTTP/1.1");
  EXPECT_NE(public_request.find("\r\nHost: 127.0.0.2\r\n"), std::string::npos);

  ASSERT_TRUE(services::Reset());
  EXPECT_EQ(resolver_.Resolve("https://localhost/bokrin/api/version?x=1").newUrl,
            "https://127.0.0.1/bokrin/api/version?x=1");
  EXPECT_EQ(services::LastRequest("vendor-dns"), kVendorRequest);
}

struct BrokenServicesCase {
  const char* name;
  const char* vendor_variant;
  const char* public_variant;
};

class BrokenServicesTest : public ResolverServicesTest, public testing::WithParamInterface<BrokenServicesCase> {};

// Nothing usable from either service: no address, nothing stored, and no hang.
TEST_P(BrokenServicesTest, GiveNoAddress) {
  ASSERT_TRUE(services::SetMode("vendor-dns", GetParam().vendor_variant));
  ASSERT_TRUE(services::SetMode("public-dns", GetParam().public_variant));
  const ResolvedUrl resolved = resolver_.Resolve(kPackageUrl);
  EXPECT_EQ(resolved.newUrl, "");
  EXPECT_EQ(resolved.index, 0);
  EXPECT_TRUE(resolver_.VendorHosts().empty());
  EXPECT_TRUE(resolver_.PublicHosts().empty());
}

INSTANTIATE_TEST_SUITE_P(Variants, BrokenServicesTest,
                         testing::Values(BrokenServicesCase{"Garbage", "garbage", "garbage"},
                                         BrokenServicesCase{"ClosedAndEmpty", "close", "retcode1"},
                                         BrokenServicesCase{"CutAndStalled", "large", "stall"}),
                         [](const testing::TestParamInfo<BrokenServicesCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(ResolverServicesTest, StalledVendorGivesWayToThePublicService) {
  ASSERT_TRUE(services::SetMode("vendor-dns", "stall"));
  EXPECT_EQ(resolver_.Resolve(kPackageUrl).newUrl, "https://127.0.0.1/packages/Bokrin.zip");
}

TEST_F(ResolverServicesTest, PublicServiceReceivesExactlyTheRequestText) {
  ASSERT_TRUE(services::SetMode("vendor-dns", "close"));
  ASSERT_TRUE(services::SetMode("public-dns", "raw"));
  EXPECT_EQ(resolver_.Resolve("https://storage2.bokrin.invalid/p").newUrl, "https://127.0.0.1/p");
  EXPECT_EQ(services::LastRequest("public-dns"),
            "GET /d?dn=storage2.bokrin.invalid HTTP/1.1\r\n"
            "Accept: */*\r\n"
            "Accept-Language: cn\r\n"
            "User-Agent: Mozilla/4.0\r\n"
            "Host: 127.0.0.2\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: Keep-Alive\r\n"
            "\r\n");
}

}  // namespace
