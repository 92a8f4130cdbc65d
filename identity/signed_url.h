#pragma once
// The signed request URL of the version service: identity parameters, time stamp and a
// two-stage MD5 signature over a secret that only the client and the service know.
#include "common/shared_string.h"

// The values of one request that come from the machine and the run, not from the program.
struct RequestIdentityValues {
  String8 ip;
  String8 osName;
  String8 screenSize;
  String8 runId;
};

// "https://" + host + path + "?" + the sorted query; with `sign`, "&sign=" and the 32-digit
// signature follow. `path` starts with "/".
String8 ComposeSignedUrl(const char* host, const char* path, const String8& timestamp,
                         const RequestIdentityValues& values, bool sign);

// The digest that keys the signature; it depends on the time stamp alone.
String8 SigningKeyDigest(const String8& timestamp);

// Milliseconds since 1970-01-01 00:00 UTC as decimal text.
String8 MakeTimestamp();

// ComposeSignedUrl for the configured version service host with this machine's values and
// the run's identifier (Windows only).
String8 BuildSignedUrl(const char* path, const String8& timestamp, bool sign);
