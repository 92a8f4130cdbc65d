#include "engine/http_dns_retry.h"

#include "common/setup_log.h"
#include "common/text_convert.h"
#include "httpport/client/http_dns_resolver.h"

namespace {

WString Widen(const std::string& ansi) {
  const String16 wide = AnsiToString16(String8(ansi.c_str()));
  return WString(wide.CStr(), wide.Length());
}

WString WidenAscii(const std::string& ascii) { return WString(ascii.begin(), ascii.end()); }

}  // namespace

RequestTarget DirectTarget(CWinHttpClient& client, const std::string& url) {
  RequestTarget target;
  if (!client.SplitUrl(Widen(url), &target.host, &target.pathAndQuery)) {
    target.host.clear();
    target.pathAndQuery.clear();
  }
  return target;
}

RequestTarget ResolvedTarget(CWinHttpClient& client, const std::string& url) {
  const ResolvedUrl resolved = GetHttpDnsResolver().Resolve(url);
  if (resolved.newUrl.empty()) {
    SetupLog(L"HTTP DNS: no address for %ls", WidenAscii(HttpDnsResolver::ExtractHost(url)).c_str());
  } else {
    SetupLog(L"HTTP DNS: %ls at %ls", WidenAscii(resolved.host).c_str(),
             WidenAscii(resolved.ip).c_str());
  }
  RequestTarget target = DirectTarget(client, resolved.newUrl);
  target.headers.push_back(L"Host: " + WidenAscii(resolved.host));
  return target;
}
