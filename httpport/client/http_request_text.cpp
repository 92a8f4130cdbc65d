#include "httpport/client/http_request_text.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace {

size_t HostStart(const std::string& url) {
  size_t at = url.find("http://");
  if (at != std::string::npos) return at + 7;
  at = url.find("https://");
  if (at != std::string::npos) return at + 8;
  return 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The value of the first header line named `name` (lower case, with its colon), trimmed of
// leading blanks; empty when there is no such header.
std::string HeaderValue(const std::string& lower_headers, const char* name) {
  const std::string key = std::string("\r\n") + name;
  size_t at = lower_headers.find(key);
  if (at == std::string::npos) return std::string();
  at += key.size();
  while (at < lower_headers.size() && (lower_headers[at] == ' ' || lower_headers[at] == '\t')) ++at;
  return lower_headers.substr(at, lower_headers.find("\r\n", at) - at);
}

}  // namespace

std::string ExtractHostPort(const std::string& url) {
  const size_t start = HostStart(url);
  const size_t slash = url.find('/', start);
  return url.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
}

std::string ExtractPath(const std::string& url) {
  const size_t slash = url.find('/', HostStart(url));
  return slash == std::string::npos ? std::string() : url.substr(slash + 1);
}

int ParsePort(const std::string& host_port) {
  const size_t colon = host_port.find(':');
  if (colon == std::string::npos) return 80;
  const long value = std::strtol(host_port.c_str() + colon + 1, nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string HostWithoutPort(const std::string& host_port) {
  return host_port.substr(0, host_port.find(':'));
}

bool LooksLikeIpv4(const std::string& host) {
  if (host.empty()) return false;
  int dots = 0;
  size_t group_start = 0;
  for (size_t i = 0; i <= host.size(); ++i) {
    if (i == host.size() || host[i] == '.') {
      const size_t digits = i - group_start;
      if (digits > 3) return false;
      if (digits == 3 && host.compare(group_start, 3, "255") > 0) return false;
      if (i < host.size() && ++dots > 3) return false;
      group_start = i + 1;
    } else if (!std::isdigit(static_cast<unsigned char>(host[i]))) {
      return false;
    }
  }
  return true;
}

bool IsDottedQuad(const std::string& text) {
  if (!LooksLikeIpv4(text) || text.front() == '.' || text.back() == '.') return false;
  int dots = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '.') continue;
    if (text[i + 1] == '.') return false;
    ++dots;
  }
  return dots == 3;
}

std::string BuildRequestText(const char* method, const std::string& url) {
  std::string text = method;
  text += " /" + ExtractPath(url) + " HTTP/1.1\r\n";
  text += "Accept: */*\r\n";
  text += "Accept-Language: cn\r\n";
  text += "User-Agent: Mozilla/4.0\r\n";
  text += "Host: " + ExtractHostPort(url) + "\r\n";
  text += "Cache-Control: no-cache\r\n";
  text += "Connection: Keep-Alive\r\n";
  text += "\r\n";
  return text;
}

bool ResponseComplete(const std::string& response) {
  const size_t header_end = response.find("\r\n\r\n");
  if (header_end == std::string::npos) return false;
  const size_t body_length = response.size() - (header_end + 4);
  // The status line stays in front so that every header line starts after a "\r\n".
  const std::string headers = Lower(response.substr(0, header_end + 2));

  const std::string content_length = HeaderValue(headers, "content-length:");
  if (!content_length.empty() && std::isdigit(static_cast<unsigned char>(content_length[0]))) {
    return body_length >= std::strtoull(content_length.c_str(), nullptr, 10);
  }
  if (HeaderValue(headers, "transfer-encoding:").find("chunked") != std::string::npos) {
    const std::string body = response.substr(header_end + 2);
    return body.size() >= 7 && body.compare(body.size() - 7, 7, "\r\n0\r\n\r\n") == 0;
  }
  return false;
}
