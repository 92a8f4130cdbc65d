#include "httpport/client/http_dns_resolver.h"

#include <utility>

#include "common/json_reading.h"
#include "httpport/client/http_request_text.h"
#include "httpport/client/service_endpoints.h"

namespace {

std::string JsonText(const cJSON* object, const char* key) {
  const cJSON* item = cJSON_GetObjectItem(object, key);
  return cJSON_IsString(item) && item->valuestring != nullptr ? item->valuestring : "";
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

HttpDnsResolver::HttpDnsResolver(HttpDnsConfig config, HttpGetFunction http_get)
    : config_(std::move(config)), http_get_(std::move(http_get)) {}

std::string HttpDnsResolver::ExtractHost(const std::string& url) {
  size_t start;
  if (url.compare(0, 7, "http://") == 0) {
    start = 7;
  } else if (url.compare(0, 8, "https://") == 0) {
    start = 8;
  } else {
    return std::string();
  }
  return url.substr(start, url.find('/', start) - start);
}

int32_t HttpDnsResolver::HostIndex(const std::string& host) const {
  if (host.empty()) return 0;
  for (size_t i = 0; i < config_.hostNames.size(); ++i) {
    if (config_.hostNames[i] == host) return static_cast<int32_t>(i + 1);
  }
  return 0;
}

ResolvedUrl HttpDnsResolver::Resolve(std::string url) {
  ResolvedUrl resolved;
  resolved.url = std::move(url);
  const std::string host = ExtractHost(resolved.url);
  const int32_t index = HostIndex(host);
  if (index == 0) return resolved;

  if (vendorHosts.empty()) QueryVendorService();
  HostAddress pick = FindVendorAddress(index);
  if (pick.index == 0) {
    pick = FindPublicAddress(index);
    if (pick.index == 0) {
      QueryPublicService(host);
      pick = FindPublicAddress(index);
    }
  }
  if (pick.index != 0) {
    resolved.index = pick.index;
    resolved.host = pick.host;
    resolved.ip = pick.ip;
    resolved.newUrl = resolved.url;
    resolved.newUrl.replace(resolved.newUrl.find(host), host.size(), pick.ip);
  }
  return resolved;
}

void HttpDnsResolver::QueryVendorService() {
  std::string url = "http://" + config_.vendorAddress + "/v1/d?dn=";
  for (size_t i = 0; i < config_.hostNames.size(); ++i) {
    if (i > 0) url += ",";
    url += config_.hostNames[i];
  }
  std::string response;
  if (!http_get_(url, &response)) return;

  const JsonTree root = ParseJsonObject(response);
  if (!root) return;
  const cJSON* ret_code = cJSON_GetObjectItem(root.get(), "retCode");
  if ((ret_code != nullptr ? JsonInteger32(ret_code) : -1) != 0) return;

  const cJSON* data = cJSON_GetObjectItem(root.get(), "data");
  if (!cJSON_IsArray(data)) return;
  const int count = cJSON_GetArraySize(data);
  for (int i = 0; i < count; ++i) {
    const cJSON* element = cJSON_GetArrayItem(data, i);
    VendorHostRecord record;
    record.dn = JsonText(element, "dn");
    record.index = HostIndex(record.dn);
    record.item = JsonText(element, "item");
    // The address replaces the host inside the URL, so anything else would rewrite its path.
    if (!IsDottedQuad(record.item)) continue;
    record.type = JsonText(element, "type");
    record.ttl = JsonInteger32(cJSON_GetObjectItem(element, "ttl"));
    vendorHosts.push_back(std::move(record));
  }
}

void HttpDnsResolver::QueryPublicService(const std::string& host) {
  std::string response;
  if (!http_get_("http://" + config_.publicAddress + "/d?dn=" + host, &response)) return;
  std::vector<std::string> addresses = ParsePublicDnsReply(response);
  if (addresses.empty()) return;
  publicHosts.push_back(PublicHostRecord{HostIndex(host), host, std::move(addresses)});
}

// Host 2's address also serves host 1: while looking for host 1, the last host-2 answer
// before an exact one is kept, and an exact one still wins.
HostAddress HttpDnsResolver::FindVendorAddress(int32_t index) const {
  HostAddress pick;
  for (const VendorHostRecord& record : vendorHosts) {
    const bool exact = record.index == index;
    if (exact || (index == 1 && record.index == 2)) pick = HostAddress{record.index, record.dn, record.item};
    if (exact) break;
  }
  return pick;
}

HostAddress HttpDnsResolver::FindPublicAddress(int32_t index) const {
  HostAddress pick;
  for (const PublicHostRecord& record : publicHosts) {
    if (record.addresses.empty()) continue;
    const bool exact = record.index == index;
    if (exact || (index == 1 && record.index == 2)) {
      pick = HostAddress{record.index, record.host, record.addresses.front()};
    }
    if (exact) break;
  }
  return pick;
}

std::vector<std::string> ParsePublicDnsReply(const std::string& response) {
  std::vector<std::string> addresses;
  const size_t header_end = response.find("\r\n\r\n");
  if (header_end == std::string::npos) return addresses;
  std::string list = response.substr(header_end + 4);
  list = list.substr(0, list.find(','));
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string address = Trimmed(list.substr(start, end - start));
    if (IsDottedQuad(address)) addresses.push_back(address);
    start = end + 1;
  }
  return addresses;
}

HttpDnsConfig ConfiguredHttpDnsConfig() {
  HttpDnsConfig config;
  for (int index = 1; index <= 4; ++index) config.hostNames[index - 1] = ServiceHostName(index);
  config.vendorAddress = VendorHttpDnsAddress();
  config.publicAddress = PublicHttpDnsAddress();
  return config;
}
