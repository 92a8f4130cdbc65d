#pragma once
// Values of this machine that go into every service request (Windows only).
#include "common/shared_string.h"

// The primary screen as "<width>*<height>" in pixels.
String8 GetScreenSize();

// The last IPv4 address that the local host name resolves to, in dotted form; empty when the
// name cannot be read or resolved. Needs the socket layer started (a live CCommPort).
String8 GetLocalIp();
