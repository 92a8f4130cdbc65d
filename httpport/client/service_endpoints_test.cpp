#include "httpport/client/service_endpoints.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

void ClearVariable(const char* name) {
#ifdef _WIN32
  _putenv_s(name, "");
#else
  unsetenv(name);
#endif
}

class ServiceEndpointsTest : public testing::Test {
 protected:
  void SetUp() override { ClearAll(); }
  void TearDown() override { ClearAll(); }
  static void ClearAll() {
    for (const char* name : {"BOKRIN_TEST_VERSION_HOST", "BOKRIN_TEST_HOSTS", "BOKRIN_TEST_VENDOR_DNS",
                             "BOKRIN_TEST_PUBLIC_DNS"}) {
      ClearVariable(name);
    }
  }
};

TEST_F(ServiceEndpointsTest, TestBuildDefaultsPointAtTheLocalServices) {
  EXPECT_EQ(VersionServiceHost(), "localhost");
  EXPECT_EQ(ServiceHostName(1), "storage1.bokrin.invalid");
  EXPECT_EQ(ServiceHostName(2), "storage2.bokrin.invalid");
  EXPECT_EQ(ServiceHostName(3), "localhost");
  EXPECT_EQ(ServiceHostName(4), "storage4.bokrin.invalid");
  EXPECT_EQ(VendorHttpDnsAddress(), "127.0.0.1");
  EXPECT_EQ(PublicHttpDnsAddress(), "127.0.0.2");
}

TEST_F(ServiceEndpointsTest, EnvironmentOverridesEachValue) {
  SetVariable("BOKRIN_TEST_VERSION_HOST", "version.test");
  SetVariable("BOKRIN_TEST_HOSTS", "a.test,b.test,version.test,d.test");
  SetVariable("BOKRIN_TEST_VENDOR_DNS", "127.0.0.3");
  SetVariable("BOKRIN_TEST_PUBLIC_DNS", "127.0.0.4");
  EXPECT_EQ(VersionServiceHost(), "version.test");
  EXPECT_EQ(ServiceHostName(1), "a.test");
  EXPECT_EQ(ServiceHostName(2), "b.test");
  EXPECT_EQ(ServiceHostName(3), "version.test");
  EXPECT_EQ(ServiceHostName(4), "d.test");
  EXPECT_EQ(VendorHttpDnsAddress(), "127.0.0.3");
  EXPECT_EQ(PublicHttpDnsAddress(), "127.0.0.4");
}

TEST_F(ServiceEndpointsTest, IndexesOutsideTheListGiveNoName) {
  SetVariable("BOKRIN_TEST_HOSTS", "a.test,b.test");
  EXPECT_EQ(ServiceHostName(2), "b.test");
  EXPECT_EQ(ServiceHostName(3), "");
  EXPECT_EQ(ServiceHostName(4), "");
  EXPECT_EQ(ServiceHostName(0), "");
  EXPECT_EQ(ServiceHostName(5), "");
}

}  // namespace
