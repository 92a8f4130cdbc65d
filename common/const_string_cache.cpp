#include "common/const_string_cache.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void FatalError(int code, const char* message) {
  std::fprintf(stderr, "FATAL ERROR #%d: %s\n", code, message);
  std::exit(-1);
}

}  // namespace

ConstStringCache::~ConstStringCache() {
  for (Slot& slot : slots_) {
    if (slot.address != nullptr) {
      release_(slot.value);
    }
  }
}

void* ConstStringCache::Find(const void* literal, Build build) {
  size_t index = (reinterpret_cast<uintptr_t>(literal) * 31) & (kSlots - 1);
  for (;;) {
    Slot& slot = slots_[index];
    if (slot.address == literal) {
      return slot.value;
    }
    if (slot.address == nullptr) {
      slot.address = literal;
      slot.value = build(literal);
      ++count_;
      return slot.value;
    }
    if (count_ > kMaxEntries) {
      // Both widths report the same text.
      FatalError(-1, "out of memory for const string8");
    }
    index = (index + 1) & (kSlots - 1);
  }
}
