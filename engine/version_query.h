#pragma once
// Asking the version service which client release is current.
#include "engine/version_reply.h"

// Asks the version service, retrying once through an HTTP DNS address. `status` may be null;
// when neither request gets through, the status code is 0 and `release` is left alone.
void QueryLatestVersion(ReleaseInfo* release, QueryStatus* status);
