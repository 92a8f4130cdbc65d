#include "identity/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Md5Case {
  std::string input;
  const char* digest;
};

class Md5HexTest : public testing::TestWithParam<Md5Case> {};

TEST_P(Md5HexTest, MatchesReferenceDigest) {
  char out[33];
  std::memset(out, 'x', sizeof out);
  Md5Hex(GetParam().input.data(), GetParam().input.size(), out);
  EXPECT_STREQ(out, GetParam().digest);
}

// The RFC 1321 suite, plus lengths around the padding boundaries (55/56/63/64 bytes) and
// bytes above 0x7f.
INSTANTIATE_TEST_SUITE_P(
    Rfc1321AndPaddingBoundaries, Md5HexTest,
    testing::Values(
        Md5Case{"", "d41d8cd98f00b204e9800998ecf8427e"},
        Md5Case{"a", "0cc175b9c0f1b6a831c399e269772661"},
        Md5Case{"abc", "900150983cd24fb0d6963f7d28e17f72"},
        Md5Case{"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        Md5Case{"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        Md5Case{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                "d174ab98d277d9f5a5611c2c9f419d9f"},
        Md5Case{"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                "57edf4a22be3c955ac49da2e2107b67a"},
        Md5Case{std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        Md5Case{std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        Md5Case{std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        Md5Case{std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        Md5Case{"\xe4\xb8\xad\xe6\x96\x87", "a7bac2239fcdcb3a067903d8077c4a07"}));

// The package digest arrives in pieces of whatever size the network delivers; every cut of the
// same bytes gives the digest of the whole.
TEST(Md5Test, PiecesGiveTheDigestOfTheWhole) {
  std::string input;
  for (int i = 0; i < 1000; ++i) input += static_cast<char>(i * 37 % 251);
  char whole[33];
  Md5Hex(input.data(), input.size(), whole);
  static const char kHex[] = "0123456789abcdef";
  for (size_t piece : {1, 7, 55, 63, 64, 65, 200, 999}) {
    Md5 md5;
    for (size_t offset = 0; offset < input.size(); offset += piece) {
      md5.Update(input.data() + offset, std::min(piece, input.size() - offset));
    }
    const Md5Digest digest = md5.Finish();
    std::string hex;
    for (uint8_t byte : digest) hex += {kHex[byte >> 4], kHex[byte & 15]};
    EXPECT_EQ(hex, whole) << piece;
  }
}

}  // namespace
