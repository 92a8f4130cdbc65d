#pragma once
// The version service's answer: which client release is current and where its package lies,
// and the reading of its reply into these records.
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

// Reads the JSON object found between the first "{" and the last "}" of `body` (a
// zero-terminated reply). Keys that are present replace the fields; everything else stays.
// `status` may be null, then the status keys are not read.
void ReadVersionReply(const char* body, ReleaseInfo* release, QueryStatus* status);
