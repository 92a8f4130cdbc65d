#pragma once
// Addresses for the service hosts that do not come from the system's name resolution: the
// vendor's HTTP DNS service answers for all four hosts at once, a public one for one host.
// Answers are kept for the rest of the process.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// An answer whose item is not a plain dotted IPv4 address is not kept.
struct VendorHostRecord {
  int32_t index = 0;  // HostIndex of dn; 0 when the answer had no dn
  std::string dn;
  std::string item;  // the address, dotted IPv4
  std::string type;
  int32_t ttl = 0;
};

struct PublicHostRecord {
  int32_t index = 0;
  std::string host;
  std::vector<std::string> addresses;
};

struct HostAddress {
  int32_t index = 0;  // 0: nothing found
  std::string host;
  std::string ip;
};

struct ResolvedUrl {
  int32_t index = 0;
  std::string host;  // for the "Host: " header of the retry
  std::string ip;
  std::string url;
  std::string newUrl;  // url with its host replaced by ip; empty when no address was found
};

struct HttpDnsConfig {
  std::array<std::string, 4> hostNames;  // index 1 to 4
  std::string vendorAddress;             // IPv4 of the vendor's service
  std::string publicAddress;             // IPv4 of the public service
};

// One plain-HTTP GET: true with the raw response text (status line and headers included).
using HttpGetFunction = std::function<bool(const std::string& url, std::string* response)>;

class HttpDnsResolver {
 public:
  HttpDnsResolver(HttpDnsConfig config, HttpGetFunction http_get);
  HttpDnsResolver(const HttpDnsResolver&) = delete;
  HttpDnsResolver& operator=(const HttpDnsResolver&) = delete;

  ResolvedUrl Resolve(std::string url);

  // The text after "http://" or "https://" up to the first "/" (a port stays in); empty for
  // any other scheme.
  static std::string ExtractHost(const std::string& url);
  // 1 to 4 for the known host names (exact comparison), 0 for any other.
  int32_t HostIndex(const std::string& host) const;

  const std::vector<VendorHostRecord>& VendorHosts() const { return vendorHosts; }
  const std::vector<PublicHostRecord>& PublicHosts() const { return publicHosts; }

 private:
  void QueryVendorService();
  void QueryPublicService(const std::string& host);
  HostAddress FindVendorAddress(int32_t index) const;
  HostAddress FindPublicAddress(int32_t index) const;

  HttpDnsConfig config_;
  HttpGetFunction http_get_;
  std::vector<VendorHostRecord> vendorHosts;
  std::vector<PublicHostRecord> publicHosts;
};

// The addresses in a public HTTP DNS reply: the body after the header block holds dotted IPv4
// addresses separated by ";", optionally followed by "," and a time to live. Anything that is
// not a complete address is left out; a reply without a header block gives none.
std::vector<std::string> ParsePublicDnsReply(const std::string& response);

// The host names and service addresses of the build's configuration (service_endpoints.h).
HttpDnsConfig ConfiguredHttpDnsConfig();

// The process's resolver over the configured endpoints and the socket client (Windows only);
// created on first use from any thread.
HttpDnsResolver& GetHttpDnsResolver();
