#include "httpport/client/service_endpoints.h"

#include <cstdlib>

namespace {

// The compiled-in values come from the build's configuration (endpoints.cmake).
constexpr char kVersionHost[] = BOKRIN_VERSION_HOST;
constexpr char kServiceHosts[] = BOKRIN_SERVICE_HOSTS;
constexpr char kVendorDns[] = BOKRIN_VENDOR_DNS;
constexpr char kPublicDns[] = BOKRIN_PUBLIC_DNS;

std::string Configured(const char* compiled_in, const char* test_variable) {
#ifdef BOKRIN_TEST_BUILD
  if (const char* value = std::getenv(test_variable)) return value;
#endif
  return compiled_in;
}

}  // namespace

std::string VersionServiceHost() { return Configured(kVersionHost, "BOKRIN_TEST_VERSION_HOST"); }

std::string ServiceHostName(int index) {
  if (index < 1 || index > 4) return std::string();
  const std::string hosts = Configured(kServiceHosts, "BOKRIN_TEST_HOSTS");
  size_t start = 0;
  for (int i = 1; i < index; ++i) {
    start = hosts.find(',', start);
    if (start == std::string::npos) return std::string();
    ++start;
  }
  return hosts.substr(start, hosts.find(',', start) - start);
}

std::string VendorHttpDnsAddress() { return Configured(kVendorDns, "BOKRIN_TEST_VENDOR_DNS"); }

std::string PublicHttpDnsAddress() { return Configured(kPublicDns, "BOKRIN_TEST_PUBLIC_DNS"); }
