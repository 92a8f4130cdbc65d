#pragma once
// Reading the version service's reply into the release and status records.
#include <cstdint>

#include "engine/version_query.h"

struct cJSON;

// A JSON value read as a signed 64-bit integer: a number truncated towards zero and clamped
// to the 64-bit range, true as 1, anything else (or no value) as 0.
int64_t JsonInteger(const cJSON* item);

// Reads the JSON object found between the first "{" and the last "}" of `body` (a
// zero-terminated reply). Keys that are present replace the fields; everything else stays.
// `status` may be null, then the status keys are not read.
void ReadVersionReply(const char* body, ReleaseInfo* release, QueryStatus* status);
