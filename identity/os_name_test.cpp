#include "identity/os_name.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct OsNameCase {
  unsigned major;
  unsigned minor;
  unsigned platformId;
  unsigned productType;
  unsigned architecture;
  int serverR2;
  const char* name;
};

class OsNameForTest : public testing::TestWithParam<OsNameCase> {};

TEST_P(OsNameForTest, NamesTheRelease) {
  const OsNameCase& c = GetParam();
  OsVersionFacts facts;
  facts.versionKnown = true;
  facts.major = c.major;
  facts.minor = c.minor;
  facts.platformId = c.platformId;
  facts.productType = c.productType;
  facts.processorArchitecture = c.architecture;
  facts.serverR2Metric = c.serverR2;
  EXPECT_STREQ(OsNameFor(facts), c.name);
}

constexpr unsigned kNt = 2, kWin9x = 1, kWorkstation = 1, kServer = 3, kDomainController = 2;
constexpr unsigned kX86 = 0, kX64 = 9;
constexpr char kUnknown[] = "unknownOperatingSystem.";

INSTANTIATE_TEST_SUITE_P(
    Releases, OsNameForTest,
    testing::Values(
        OsNameCase{4, 0, kNt, kWorkstation, kX86, 0, "WindowsNT4.0"},
        OsNameCase{4, 0, kWin9x, kWorkstation, kX86, 0, "Windows95"},
        OsNameCase{4, 0, 0, kWorkstation, kX86, 0, kUnknown},
        OsNameCase{4, 10, kWin9x, kWorkstation, kX86, 0, "Windows98"},
        OsNameCase{4, 90, kWin9x, kWorkstation, kX86, 0, "WindowsMe"},
        OsNameCase{4, 1, kWin9x, kWorkstation, kX86, 0, kUnknown},
        OsNameCase{5, 0, kNt, kServer, kX86, 0, "Windows2000"},
        OsNameCase{5, 1, kNt, kWorkstation, kX64, 0, "WindowsXP"},
        OsNameCase{5, 2, kNt, kWorkstation, kX64, 0, "WindowsXPProfessionalx64Edition"},
        OsNameCase{5, 2, kNt, kWorkstation, kX86, 0, "WindowsServer2003"},
        OsNameCase{5, 2, kNt, kServer, kX64, 0, "WindowsServer2003"},
        OsNameCase{5, 2, kNt, kServer, kX64, 1, "WindowsServer2003R2"},
        OsNameCase{5, 3, kNt, kWorkstation, kX86, 0, kUnknown},
        OsNameCase{6, 0, kNt, kWorkstation, kX86, 0, "WindowsVista"},
        OsNameCase{6, 0, kNt, kServer, kX64, 0, "WindowsServer2008"},
        OsNameCase{6, 1, kNt, kWorkstation, kX64, 0, "Windows7"},
        OsNameCase{6, 1, kNt, kDomainController, kX64, 0, "WindowsServer2008R2"},
        OsNameCase{6, 2, kNt, kWorkstation, kX64, 0, "Windows8"},
        OsNameCase{6, 2, kNt, kServer, kX64, 0, "WindowsServer2012"},
        OsNameCase{6, 3, kNt, kWorkstation, kX64, 0, "Windows8.1"},
        OsNameCase{6, 3, kNt, kServer, kX64, 0, "WindowsServer2012R2"},
        OsNameCase{6, 4, kNt, kWorkstation, kX64, 0, kUnknown},
        OsNameCase{10, 0, kNt, kWorkstation, kX64, 0, "Windows10"},
        OsNameCase{10, 0, kNt, kServer, kX64, 0, "WindowsServer2016TechnicalPreview"},
        OsNameCase{10, 1, kNt, kWorkstation, kX64, 0, kUnknown},
        OsNameCase{3, 51, kNt, kWorkstation, kX86, 0, kUnknown},
        OsNameCase{7, 0, kNt, kWorkstation, kX64, 0, kUnknown},
        OsNameCase{9, 0, kNt, kWorkstation, kX64, 0, kUnknown},
        OsNameCase{11, 0, kNt, kWorkstation, kX64, 0, kUnknown}));

TEST(OsNameForTest, UnreadableVersionIsUnknown) {
  OsVersionFacts facts;
  facts.major = 6;
  facts.minor = 1;
  facts.productType = 1;
  EXPECT_STREQ(OsNameFor(facts), kUnknown);
}

}  // namespace
