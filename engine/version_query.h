#pragma once
// The version service's answer: which client release is current and where its package lies.
#include <cstdint>

#include "common/shared_string.h"

// The reply's "data" object. A key missing from the reply leaves its field as it was.
struct ReleaseInfo {
  bool latest = false;
  String16 versionNo;
  String16 info;
  String16 publishTime;
  int64_t size = 0;
  String16 url;
  String16 encryptFile;
  int64_t strategy = 0;
  String16 versionCode;
};

// The reply's top level: "result_code" (0 = no error) and "message".
struct QueryStatus {
  int32_t code = 0;
  String16 message;
};

// Asks the version service, retrying once through an HTTP DNS address. `status` may be null;
// when neither request gets through, the status code is 0 and `release` is left alone.
void QueryLatestVersion(ReleaseInfo* release, QueryStatus* status);
