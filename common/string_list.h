#pragma once
// A growable array of String8, used to collect and sort request parameters.
#include <cstddef>

#include "common/shared_string.h"

class String8List {
 public:
  String8List() = default;
  ~String8List();
  String8List(const String8List&) = delete;
  String8List& operator=(const String8List&) = delete;

  // Adds a reference to `text`; returns its index (the count before appending).
  size_t Append(const String8& text);
  // Ascending byte order, bytes taken as signed values (as String8::Compare).
  void Sort();
  void Clear();

  size_t Count() const { return count_; }
  const String8& operator[](size_t index) const { return items_[index]; }

 private:
  void Grow(size_t extra);

  String8* items_ = nullptr;
  size_t count_ = 0;
  size_t capacity_ = 0;
};
