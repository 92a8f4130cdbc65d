#pragma once
// MD5 digest (RFC 1321) as lower-case hexadecimal text, used to sign service requests.
#include <cstddef>

// Writes the 32 hex digits of the digest of `data[0..length)` and a terminating NUL into
// `out`, which must hold 33 bytes.
void Md5Hex(const void* data, size_t length, char out[33]);
