#pragma once
// The text side of the socket HTTP client: taking a URL apart, composing the request and
// deciding when a response has arrived whole.
#include <cstddef>
#include <string>

// URLs longer than this are refused before anything is sent.
constexpr size_t kMaxRequestUrlLength = 2084;
// The response text is cut at this many bytes.
constexpr size_t kMaxResponseLength = 4096;

// The text between the scheme ("http://" or "https://", searched in that order anywhere in
// the URL; the whole URL when neither occurs) and the first "/" after it: host and port.
std::string ExtractHostPort(const std::string& url);
// The text after that first "/", without it; empty when there is none.
std::string ExtractPath(const std::string& url);
// The decimal number after the first ":" of `host_port` (leading digits, 0 when there are
// none, clamped to the int range), or 80 when there is no ":".
int ParsePort(const std::string& host_port);
// `host_port` up to its first ":".
std::string HostWithoutPort(const std::string& host_port);
// Not empty, only digits and dots, at most three dots, groups of at most three digits, no three-digit
// group above 255: taken as an address and not looked up.
bool LooksLikeIpv4(const std::string& host);
// A complete dotted IPv4 address: four non-empty groups that pass LooksLikeIpv4.
bool IsDottedQuad(const std::string& text);

// The request line and the fixed header block; no body.
std::string BuildRequestText(const char* method, const std::string& url);

// True once `response` holds the whole header block and the body it announces (by
// Content-Length, or the last chunk of a chunked body). A response without either ends
// when the peer closes the connection.
bool ResponseComplete(const std::string& response);
