#pragma once
// Maps the address of a string literal to the string built from it, so that one literal always
// gives one shared representation. The table has 4096 slots and is meant for a handful of
// literals: once it holds more than 1024, a lookup that meets another literal's slot ends the
// process. Not locked; the program fills it only with a few literals.
#include <cstddef>

class ConstStringCache {
 public:
  using Build = void* (*)(const void* literal);
  using Release = void (*)(void* value);

  // `release` drops the cache's hold on each value when the cache goes away.
  explicit ConstStringCache(Release release) : release_(release) {}
  ~ConstStringCache();
  ConstStringCache(const ConstStringCache&) = delete;
  ConstStringCache& operator=(const ConstStringCache&) = delete;

  // The value cached for `literal` (not null), built by `build` on its first lookup.
  void* Find(const void* literal, Build build);

  static constexpr size_t kSlots = 4096;
  static constexpr size_t kMaxEntries = 1024;

 private:
  struct Slot {
    const void* address;
    void* value;
  };

  Slot slots_[kSlots] = {};
  size_t count_ = 0;
  Release release_;
};
