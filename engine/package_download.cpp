#include "engine/package_download.h"

#include "engine/http_dns_retry.h"
#include "engine/install_app.h"
#include "httpport/client/http_port.h"
#include "httpport/client/winhttp_client.h"

bool DownloadPackage(InstallApp* engine, std::string url, std::string package_path) {
  const ProgressCallback progress = [engine](int32_t status, uint32_t received, uint32_t total,
                                             int32_t error) {
    engine->OnDownloadProgress(status, received, total, error);
  };
  // Keeps the socket layer up for the resolver's lookups.
  CHttpPort socket_layer;
  CWinHttpClient client;
  const RequestTarget direct = DirectTarget(client, url);
  if (client.GetToFile(direct.host, direct.pathAndQuery, direct.headers, package_path, progress)) {
    return true;
  }
  const RequestTarget resolved = ResolvedTarget(client, url);
  return client.GetToFile(resolved.host, resolved.pathAndQuery, resolved.headers, package_path,
                          progress);
}
