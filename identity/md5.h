#pragma once
// MD5 digest (RFC 1321): as lower-case hexadecimal text to sign service requests, and fed
// piece by piece to recognise the downloaded package again before it is extracted.
#include <array>
#include <cstddef>
#include <cstdint>

using Md5Digest = std::array<uint8_t, 16>;

class Md5 {
 public:
  void Update(const void* data, size_t length);
  // The digest of everything given so far; the object is spent afterwards.
  Md5Digest Finish();

 private:
  uint32_t state_[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  uint64_t length_ = 0;
  unsigned char pending_[64] = {};  // the bytes of an incomplete block
};

// Writes the 32 hex digits of the digest of `data[0..length)` and a terminating NUL into
// `out`, which must hold 33 bytes.
void Md5Hex(const void* data, size_t length, char out[33]);
