#pragma once
// The Windows release name sent as the model and ov parameters of a request.
#include "common/shared_string.h"

// What the system reports about itself; the platform values as the version and system
// information calls give them.
struct OsVersionFacts {
  bool versionKnown = false;
  unsigned major = 0;
  unsigned minor = 0;
  unsigned platformId = 0;
  unsigned productType = 0;            // 1: workstation, anything else: server
  unsigned processorArchitecture = 0;  // 9: x64
  int serverR2Metric = 0;              // system metric 89
};

// The release name for the facts, or "unknownOperatingSystem." when no release matches.
const char* OsNameFor(const OsVersionFacts& facts);

// OsNameFor the running system (Windows only).
String8 GetOsName();
