// The replies of both HTTP DNS services as the socket client hands them over (at most
// kMaxResponseLength bytes, up to the first zero byte): read by ParsePublicDnsReply directly,
// and by the resolver, whose vendor and public queries both get them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/testing/fuzz_check.h"
#include "httpport/client/http_dns_resolver.h"
#include "httpport/client/http_request_text.h"

namespace {

const HttpDnsConfig kConfig{{"storage1.test", "storage2.test", "version.test", "storage4.test"}, "10.0.0.53",
                            "10.0.0.54"};

void CheckPublicReply(const std::string& response) {
  const std::vector<std::string> addresses = ParsePublicDnsReply(response);
  if (response.find("\r\n\r\n") == std::string::npos) {
    FuzzCheck(addresses.empty(), "a reply without a header block gives no address");
  }
  for (const std::string& address : addresses) {
    FuzzCheck(IsDottedQuad(address), "every public address is a complete dotted quad");
    FuzzCheck(response.find(address) != std::string::npos, "every public address is text of the reply");
  }
}

void CheckResolver(const std::string& response) {
  HttpDnsResolver resolver(kConfig, [&response](const std::string&, std::string* answer) {
    *answer = response;
    return true;
  });
  for (int32_t index = 1; index <= 4; ++index) {
    const std::string& host = kConfig.hostNames[static_cast<size_t>(index - 1)];
    // The host name again in the query: only the first occurrence may change.
    const std::string path = "/bokrin/api/version?dn=" + host;
    const std::string url = "https://" + host + path;
    const ResolvedUrl resolved = resolver.Resolve(url);
    FuzzCheck(resolved.url == url, "the URL asked for is kept");
    if (resolved.index == 0) {
      FuzzCheck(resolved.newUrl.empty() && resolved.ip.empty(), "no pick, no address");
      continue;
    }
    FuzzCheck(resolved.index == index || (index == 1 && resolved.index == 2),
              "a host gets its own address, host 1 also host 2's");
    FuzzCheck(resolved.host == kConfig.hostNames[static_cast<size_t>(resolved.index - 1)],
              "the Host header names the host whose address was picked");
    FuzzCheck(resolved.newUrl == "https://" + resolved.ip + path, "only the URL's host is replaced");
  }
  for (const VendorHostRecord& record : resolver.VendorHosts()) {
    FuzzCheck(record.index == resolver.HostIndex(record.dn), "a vendor answer's index is that of its name");
    FuzzCheck(IsDottedQuad(record.item), "a vendor answer is kept only with a plain address");
  }
  for (const PublicHostRecord& record : resolver.PublicHosts()) {
    FuzzCheck(!record.addresses.empty(), "a public answer is kept only with addresses");
    FuzzCheck(record.index == resolver.HostIndex(record.host), "a public answer's index is that of its name");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string received(reinterpret_cast<const char*>(data), std::min(size, kMaxResponseLength));
  const std::string response = received.c_str();
  CheckPublicReply(response);
  CheckResolver(response);
  return 0;
}
