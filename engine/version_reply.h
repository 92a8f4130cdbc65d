#pragma once
// Reading the version service's reply into the release and status records.
#include "engine/version_query.h"

// Reads the JSON object found between the first "{" and the last "}" of `body` (a
// zero-terminated reply). Keys that are present replace the fields; everything else stays.
// `status` may be null, then the status keys are not read.
void ReadVersionReply(const char* body, ReleaseInfo* release, QueryStatus* status);
