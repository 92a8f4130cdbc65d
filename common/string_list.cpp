#include "common/string_list.h"

#include <cstdlib>
#include <new>
#include <utility>

namespace {

int CompareEntries(const void* left, const void* right) {
  const auto* a = static_cast<const String8*>(left);
  const auto* b = static_cast<const String8*>(right);
  return a->Compare(b->CStr());
}

}  // namespace

String8List::~String8List() { Clear(); }

size_t String8List::Append(const String8& text) {
  // `text` may be one of our own entries, which growing the array moves.
  String8 entry(text);
  Grow(1);
  new (&items_[count_]) String8(std::move(entry));
  return count_++;
}

// The run-time library's quicksort moves entries bytewise, which is sound for String8: it is
// one pointer to its representation. Growing the array by realloc relies on the same.
void String8List::Sort() {
  if (count_ > 1) {
    std::qsort(static_cast<void*>(items_), count_, sizeof(String8), CompareEntries);
  }
}

void String8List::Clear() {
  for (size_t i = 0; i < count_; ++i) {
    items_[i].~String8();
  }
  std::free(items_);
  items_ = nullptr;
  count_ = 0;
  capacity_ = 0;
}

void String8List::Grow(size_t extra) {
  if (count_ + extra <= capacity_) {
    return;
  }
  capacity_ = count_ + extra + 64;
  items_ = static_cast<String8*>(
      std::realloc(static_cast<void*>(items_), capacity_ * sizeof(String8)));
}
