#pragma once
// The second attempt of a service request: the same URL with its host replaced by an address
// from the HTTP DNS resolver, sent with a "Host: " header naming the original host.
#include <string>

#include "httpport/client/winhttp_client.h"

struct RequestTarget {
  WString host;
  WString pathAndQuery;
  HeaderList headers;
};

// Splits a URL in the ANSI code page into host and path-and-query; both empty when the URL
// cannot be split, so that a request to it fails.
RequestTarget DirectTarget(CWinHttpClient& client, const std::string& url);

// The target of the retry; without an address from the resolver the host is empty, so that
// the retry fails at once.
RequestTarget ResolvedTarget(CWinHttpClient& client, const std::string& url);
