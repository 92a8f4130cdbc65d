#include "engine/version_query.h"

#include <windows.h>

#include <string>

#include "common/heap_block.h"
#include "common/setup_log.h"
#include "engine/http_dns_retry.h"
#include "engine/version_reply.h"
#include "httpport/client/network_limits.h"
#include "httpport/client/winhttp_client.h"
#include "identity/signed_url.h"

namespace {

constexpr char kVersionPath[] = "/bokrin/api/version";

bool Fetch(CWinHttpClient& client, const RequestTarget& target, uint64_t deadline,
           uint32_t* length, char** body) {
  return client.GetToMemory(target.host, target.pathAndQuery, target.headers, length, body,
                            deadline);
}

}  // namespace

void QueryLatestVersion(ReleaseInfo* release, QueryStatus* status) {
  const String8 signed_url = BuildSignedUrl(kVersionPath, MakeTimestamp(), true);
  const std::string url(signed_url.CStr(), signed_url.Length());
  // One bound for both attempts and the lookup between them.
  const uint64_t deadline = GetTickCount64() + ConfiguredNetworkLimits().versionQueryMs;
  CWinHttpClient client;
  uint32_t length = 0;
  char* received = nullptr;
  if (!Fetch(client, DirectTarget(client, url), deadline, &length, &received) &&
      !Fetch(client, ResolvedTarget(client, url), deadline, &length, &received)) {
    SetupLog(L"Version query: no reply from the version service");
    if (status != nullptr) status->code = 0;
    return;
  }
  const HeapText body(received);
  // An empty body arrives as a null buffer.
  ReadVersionReply(body ? body.get() : "", release, status);
}
