#include "identity/os_name.h"

namespace {

constexpr char kUnknown[] = "unknownOperatingSystem.";

const char* ByProductType(const OsVersionFacts& facts, const char* workstation, const char* server) {
  return facts.productType == 1 ? workstation : server;
}

const char* Windows4Name(const OsVersionFacts& facts) {
  switch (facts.minor) {
    case 0:
      if (facts.platformId == 2) return "WindowsNT4.0";
      if (facts.platformId == 1) return "Windows95";
      return kUnknown;
    case 10:
      return "Windows98";
    case 90:
      return "WindowsMe";
    default:
      return kUnknown;
  }
}

const char* Windows5Name(const OsVersionFacts& facts) {
  switch (facts.minor) {
    case 0:
      return "Windows2000";
    case 1:
      return "WindowsXP";
    case 2:
      if (facts.productType == 1 && facts.processorArchitecture == 9) {
        return "WindowsXPProfessionalx64Edition";
      }
      return facts.serverR2Metric == 0 ? "WindowsServer2003" : "WindowsServer2003R2";
    default:
      return kUnknown;
  }
}

const char* Windows6Name(const OsVersionFacts& facts) {
  switch (facts.minor) {
    case 0:
      return ByProductType(facts, "WindowsVista", "WindowsServer2008");
    case 1:
      return ByProductType(facts, "Windows7", "WindowsServer2008R2");
    case 2:
      return ByProductType(facts, "Windows8", "WindowsServer2012");
    case 3:
      return ByProductType(facts, "Windows8.1", "WindowsServer2012R2");
    default:
      return kUnknown;
  }
}

}  // namespace

const char* OsNameFor(const OsVersionFacts& facts) {
  if (!facts.versionKnown) return kUnknown;
  switch (facts.major) {
    case 4:
      return Windows4Name(facts);
    case 5:
      return Windows5Name(facts);
    case 6:
      return Windows6Name(facts);
    case 10:
      if (facts.minor != 0) return kUnknown;
      return ByProductType(facts, "Windows10", "WindowsServer2016TechnicalPreview");
    default:
      return kUnknown;
  }
}
