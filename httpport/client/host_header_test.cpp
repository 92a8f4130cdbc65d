#include "httpport/client/host_header.h"

#include <gtest/gtest.h>

namespace {

struct HostHeaderCase {
  const char* name;
  std::vector<WString> lines;
  WString value;
};

class HostHeaderTest : public testing::TestWithParam<HostHeaderCase> {};

TEST_P(HostHeaderTest, FindsTheNameTheRequestIsMeantFor) {
  EXPECT_TRUE(HostHeaderValue(GetParam().lines) == GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HostHeaderTest,
    testing::Values(
        HostHeaderCase{"None", {}, U16("")},
        HostHeaderCase{"Plain", {U16("Host: storage1.test")}, U16("storage1.test")},
        HostHeaderCase{"AnyCaseAndBlanks", {U16("hOST:\t storage1.test  ")}, U16("storage1.test")},
        HostHeaderCase{"LastWins", {U16("Host: a.test"), U16("Accept: */*"), U16("Host: b.test")}, U16("b.test")},
        HostHeaderCase{"OtherHeadersOnly", {U16("Hostname: a.test"), U16("X-Host: b.test")}, U16("")},
        HostHeaderCase{"EmptyValue", {U16("Host:")}, U16("")}),
    [](const testing::TestParamInfo<HostHeaderCase>& info) { return std::string(info.param.name); });

}  // namespace
