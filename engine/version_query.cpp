#include "engine/version_query.h"

#include <string>

#include "common/heap_block.h"
#include "engine/http_dns_retry.h"
#include "engine/version_reply.h"
#include "httpport/client/winhttp_client.h"
#include "identity/signed_url.h"

namespace {

constexpr char kVersionPath[] = "/bokrin/api/version";

bool Fetch(CWinHttpClient& client, const RequestTarget& target, uint32_t* length, char** body) {
  return client.GetToMemory(target.host, target.pathAndQuery, target.headers, length, body);
}

}  // namespace

void QueryLatestVersion(ReleaseInfo* release, QueryStatus* status) {
  const String8 signed_url = BuildSignedUrl(kVersionPath, MakeTimestamp(), true);
  const std::string url(signed_url.CStr(), signed_url.Length());
  CWinHttpClient client;
  uint32_t length = 0;
  char* received = nullptr;
  if (!Fetch(client, DirectTarget(client, url), &length, &received) &&
      !Fetch(client, ResolvedTarget(client, url), &length, &received)) {
    if (status != nullptr) status->code = 0;
    return;
  }
  const HeapText body(received);
  // An empty body arrives as a null buffer.
  ReadVersionReply(body ? body.get() : "", release, status);
}
