#pragma once
// Where the remote services are: the version service's host, the four service host names the
// HTTP DNS resolver knows (index 1 to 4: primary storage, second storage, version service,
// further storage) and the IPv4 addresses of the vendor's and the public HTTP DNS service.
// The values are compiled in; a test build also takes them from the environment
// (BOKRIN_TEST_VERSION_HOST, BOKRIN_TEST_HOSTS with four comma-separated names in index
// order, BOKRIN_TEST_VENDOR_DNS, BOKRIN_TEST_PUBLIC_DNS), read at each call.
#include <string>

std::string VersionServiceHost();
// Empty for an index outside 1 to 4.
std::string ServiceHostName(int index);
std::string VendorHttpDnsAddress();
std::string PublicHttpDnsAddress();
