#include "httpport/client/http_dns_resolver.h"
#include "httpport/client/http_port.h"

HttpDnsResolver& GetHttpDnsResolver() {
  static HttpDnsResolver resolver(ConfiguredHttpDnsConfig(), HttpPortGet);
  return resolver;
}
