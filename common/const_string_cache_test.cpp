#include "common/const_string_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

// The cache only keys on addresses, so plain numbers stand in for literals; the value built
// for an address is the address itself.
const void* Address(uintptr_t n) { return reinterpret_cast<const void*>(n); }

int g_builds = 0;
int g_releases = 0;

void* Build(const void* literal) {
  ++g_builds;
  return const_cast<void*>(literal);
}
void Release(void*) { ++g_releases; }

class ConstStringCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    g_builds = 0;
    g_releases = 0;
  }
  // Addresses 1 to n have distinct home slots (31 is odd, so address*31 mod 4096 is one-to-one).
  void FillDistinct(uintptr_t n) {
    for (uintptr_t k = 1; k <= n; ++k) {
      cache_->Find(Address(k), Build);
    }
  }
  std::unique_ptr<ConstStringCache> cache_ = std::make_unique<ConstStringCache>(Release);
};

TEST_F(ConstStringCacheTest, BuildsOncePerAddress) {
  EXPECT_EQ(cache_->Find(Address(7), Build), Address(7));
  EXPECT_EQ(cache_->Find(Address(7), Build), Address(7));
  EXPECT_EQ(g_builds, 1);
}

// Colliding addresses probe onward, wrapping from the last slot to the first.
TEST_F(ConstStringCacheTest, CollisionsProbeAndWrap) {
  uintptr_t last = 1;
  while (((last * 31) & 4095) != 4095) {
    ++last;
  }
  const uintptr_t addresses[] = {last, last + 4096, last + 2 * 4096, 4096, 2 * 4096};
  for (uintptr_t a : addresses) {
    EXPECT_EQ(cache_->Find(Address(a), Build), Address(a));
  }
  for (uintptr_t a : addresses) {
    EXPECT_EQ(cache_->Find(Address(a), Build), Address(a));
  }
  EXPECT_EQ(g_builds, 5);
}

TEST_F(ConstStringCacheTest, ReleasesEveryValueWhenDestroyed) {
  FillDistinct(10);
  cache_.reset();
  EXPECT_EQ(g_releases, 10);
}

// Up to 1024 entries a collision is probed past; above that, only free home slots still work.
TEST_F(ConstStringCacheTest, CollisionsAreProbedUpTo1024Entries) {
  FillDistinct(ConstStringCache::kMaxEntries);
  EXPECT_EQ(cache_->Find(Address(1 + 4096), Build), Address(1 + 4096));
  EXPECT_EQ(cache_->Find(Address(2000), Build), Address(2000));
  EXPECT_EQ(g_builds, 1026);
}

#ifdef _WIN32
constexpr int kFatalExitCode = -1;
#else
constexpr int kFatalExitCode = 255;  // exit(-1) as the shell sees it
#endif

TEST_F(ConstStringCacheTest, CollisionAbove1024EntriesEndsTheProcess) {
  EXPECT_EXIT(
      {
        FillDistinct(ConstStringCache::kMaxEntries + 1);
        cache_->Find(Address(1 + 4096), Build);
      },
      testing::ExitedWithCode(kFatalExitCode),
      "^FATAL ERROR #-1: out of memory for const string8\n$");
}

}  // namespace
