#include "httpport/client/service_endpoints.h"
#include "identity/client_identity.h"
#include "identity/machine_values.h"
#include "identity/os_name.h"
#include "identity/signed_url.h"

String8 BuildSignedUrl(const char* path, const String8& timestamp, bool sign) {
  ClientIdentity& identity = ClientIdentity::Instance();
  RequestIdentityValues values;
  values.ip = identity.LocalIp();
  values.osName = GetOsName();
  values.screenSize = GetScreenSize();
  values.runId = identity.RunId();
  return ComposeSignedUrl(VersionServiceHost().c_str(), path, timestamp, values, sign);
}
