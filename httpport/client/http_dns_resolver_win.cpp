#include "httpport/client/http_dns_resolver.h"
#include "httpport/client/http_port.h"
#include "httpport/client/service_endpoints.h"

namespace {

bool SocketGet(const std::string& url, std::string* response) {
  CHttpPort port;
  std::unique_ptr<char[]> text;
  if (port.Get(url.c_str(), &text) != 1) return false;
  *response = text.get();
  return true;
}

HttpDnsConfig ConfiguredEndpoints() {
  HttpDnsConfig config;
  for (int index = 1; index <= 4; ++index) config.hostNames[index - 1] = ServiceHostName(index);
  config.vendorAddress = VendorHttpDnsAddress();
  config.publicAddress = PublicHttpDnsAddress();
  return config;
}

}  // namespace

HttpDnsResolver& GetHttpDnsResolver() {
  static HttpDnsResolver resolver(ConfiguredEndpoints(), SocketGet);
  return resolver;
}
