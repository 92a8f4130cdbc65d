#include "common/shared_string.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <type_traits>

#include "common/const_string_cache.h"

template <class Char>
struct SharedString<Char>::Rep {
  Char* buffer;
  size_t capacity;  // characters, not counting the terminator
  size_t length;
  std::atomic<int32_t> refs;
};

namespace {

template <class Char>
size_t TextLength(const Char* text) {
  size_t length = 0;
  if (text != nullptr) {
    while (text[length] != 0) {
      ++length;
    }
  }
  return length;
}

template <class Char>
Char* AllocateBuffer(size_t capacity) {
  return static_cast<Char*>(std::malloc((capacity + 1) * sizeof(Char)));
}

// Bytes order as signed values, UTF-16 units as unsigned ones.
int OrderOf(char ch) { return static_cast<signed char>(ch); }
int OrderOf(Utf16Char ch) { return static_cast<uint16_t>(ch); }

// The empty representations live in static storage and are constant-initialised, so strings
// built by other static initialisers can already use them. Their count starts at one and is
// never released to zero.
char g_empty_text8[1] = {0};
Utf16Char g_empty_text16[1] = {0};
SharedString<char>::Rep g_empty_rep8 = {g_empty_text8, 0, 0, {1}};
SharedString<Utf16Char>::Rep g_empty_rep16 = {g_empty_text16, 0, 0, {1}};

template <class Char>
typename SharedString<Char>::Rep* EmptyRep();
template <>
SharedString<char>::Rep* EmptyRep<char>() {
  return &g_empty_rep8;
}
template <>
SharedString<Utf16Char>::Rep* EmptyRep<Utf16Char>() {
  return &g_empty_rep16;
}

// Whether `text` points into the text of `rep`.
template <class Char, class Rep>
bool Within(const Char* text, const Rep* rep) {
  const std::less_equal<const Char*> not_after;
  return not_after(rep->buffer, text) && not_after(text, rep->buffer + rep->length);
}

template <class Rep>
void Retain(Rep* rep) {
  rep->refs.fetch_add(1, std::memory_order_relaxed);
}

template <class Char>
void Release(typename SharedString<Char>::Rep* rep) {
  if (rep->refs.fetch_sub(1, std::memory_order_acq_rel) == 1 && rep != EmptyRep<Char>()) {
    std::free(rep->buffer);
    std::free(rep);
  }
}

template <class Char>
typename SharedString<Char>::Rep* NewRep(const Char* text, size_t length, size_t capacity) {
  auto* rep = static_cast<typename SharedString<Char>::Rep*>(
      std::malloc(sizeof(typename SharedString<Char>::Rep)));
  rep->buffer = AllocateBuffer<Char>(capacity);
  rep->capacity = capacity;
  rep->length = length;
  new (&rep->refs) std::atomic<int32_t>(1);
  if (length != 0) {
    std::memcpy(rep->buffer, text, length * sizeof(Char));
  }
  rep->buffer[length] = 0;
  return rep;
}

template <class Char>
typename SharedString<Char>::Rep* RepFor(const Char* text) {
  const size_t length = TextLength(text);
  if (length == 0) {
    Retain(EmptyRep<Char>());
    return EmptyRep<Char>();
  }
  return NewRep(text, length, length);
}

// The cache keeps one reference to each string it built, until the process exits.
template <class Char>
ConstStringCache& CacheFor();
template <>
ConstStringCache& CacheFor<char>() {
  static ConstStringCache cache(
      [](void* rep) { Release<char>(static_cast<SharedString<char>::Rep*>(rep)); });
  return cache;
}
template <>
ConstStringCache& CacheFor<Utf16Char>() {
  static ConstStringCache cache(
      [](void* rep) { Release<Utf16Char>(static_cast<SharedString<Utf16Char>::Rep*>(rep)); });
  return cache;
}

}  // namespace

template <class Char>
SharedString<Char>::SharedString() : rep_(EmptyRep<Char>()) {
  Retain(rep_);
}

template <class Char>
SharedString<Char>::SharedString(const Char* text) : rep_(RepFor(text)) {}

template <class Char>
SharedString<Char>::SharedString(const SharedString& other) : rep_(other.rep_) {
  Retain(rep_);
}

template <class Char>
SharedString<Char>::SharedString(SharedString&& other) noexcept : rep_(other.rep_) {
  other.rep_ = EmptyRep<Char>();
  Retain(other.rep_);
}

template <class Char>
SharedString<Char>::~SharedString() {
  Release<Char>(rep_);
}

template <class Char>
SharedString<Char>& SharedString<Char>::operator=(const SharedString& other) {
  Retain(other.rep_);
  Release<Char>(rep_);
  rep_ = other.rep_;
  return *this;
}

template <class Char>
SharedString<Char>& SharedString<Char>::operator=(SharedString&& other) noexcept {
  if (this != &other) {
    Release<Char>(rep_);
    rep_ = other.rep_;
    other.rep_ = EmptyRep<Char>();
    Retain(other.rep_);
  }
  return *this;
}

template <class Char>
SharedString<Char>& SharedString<Char>::operator=(const Char* text) {
  const size_t length = TextLength(text);
  if (length == 0) {
    Release<Char>(rep_);
    rep_ = EmptyRep<Char>();
    Retain(rep_);
    return *this;
  }
  // The text may lie in our own buffer, which reallocation would move.
  if (Within(text, rep_) || rep_ == EmptyRep<Char>() ||
      rep_->refs.load(std::memory_order_acquire) != 1) {
    Rep* fresh = NewRep(text, length, length);
    Release<Char>(rep_);
    rep_ = fresh;
    return *this;
  }
  if (rep_->capacity < length) {
    rep_->buffer = static_cast<Char*>(std::realloc(rep_->buffer, (length + 1) * sizeof(Char)));
    rep_->capacity = length;
  }
  std::memcpy(rep_->buffer, text, length * sizeof(Char));
  rep_->buffer[length] = 0;
  rep_->length = length;
  return *this;
}

template <class Char>
size_t SharedString<Char>::Length() const {
  return rep_->length;
}

template <class Char>
const Char* SharedString<Char>::CStr() const {
  return rep_->buffer;
}

template <class Char>
void SharedString<Char>::MakePrivate(size_t capacity) {
  if (rep_ != EmptyRep<Char>() && rep_->refs.load(std::memory_order_acquire) == 1) {
    if (rep_->capacity < capacity) {
      rep_->buffer = static_cast<Char*>(std::realloc(rep_->buffer, (capacity + 1) * sizeof(Char)));
      rep_->capacity = capacity;
    }
    return;
  }
  const size_t length = rep_->length < capacity ? rep_->length : capacity;
  Rep* fresh = NewRep(rep_->buffer, length, capacity > rep_->length ? capacity : rep_->length);
  // Copied before the release: once released, another owner may free the old text.
  Release<Char>(rep_);
  rep_ = fresh;
}

template <class Char>
Char* SharedString<Char>::Writable() {
  MakePrivate(rep_->length);
  return rep_->buffer;
}

template <class Char>
void SharedString<Char>::Reserve(size_t capacity) {
  // Making a shared text private with less room than its length would cut it.
  MakePrivate(capacity > rep_->length ? capacity : rep_->length);
}

template <class Char>
void SharedString<Char>::Truncate(size_t length) {
  if (length >= rep_->length) {
    return;
  }
  if (length == 0) {
    Release<Char>(rep_);
    rep_ = EmptyRep<Char>();
    Retain(rep_);
    return;
  }
  MakePrivate(length);
  rep_->length = length;
  rep_->buffer[length] = 0;
}

template <class Char>
SharedString<Char>& SharedString<Char>::Append(const Char* text) {
  const size_t count = TextLength(text);
  if (count == 0) {
    return *this;
  }
  // A piece of our own text is found again by its offset: making the text private or
  // enlarging it may move the buffer, but keeps what it holds.
  const bool own = Within(text, rep_);
  const size_t offset = own ? static_cast<size_t>(text - rep_->buffer) : 0;
  const size_t length = rep_->length;
  MakePrivate(length + count);
  const Char* source = own ? rep_->buffer + offset : text;
  std::memmove(rep_->buffer + length, source, count * sizeof(Char));
  rep_->length = length + count;
  rep_->buffer[rep_->length] = 0;
  return *this;
}

template <class Char>
SharedString<Char>& SharedString<Char>::Append(const SharedString& text) {
  if (text.rep_->length == 0) {
    return *this;
  }
  const SharedString keep(text);  // the source stays whole even when it is this very object
  const size_t length = rep_->length;
  const size_t count = keep.rep_->length;
  MakePrivate(length + count);
  std::memcpy(rep_->buffer + length, keep.rep_->buffer, count * sizeof(Char));
  rep_->length = length + count;
  rep_->buffer[rep_->length] = 0;
  return *this;
}

template <class Char>
SharedString<Char>& SharedString<Char>::Append(size_t count, Char ch) {
  return Insert(rep_->length, count, ch);
}

template <class Char>
SharedString<Char>& SharedString<Char>::Insert(size_t position, size_t count, Char ch) {
  if (count == 0) {
    return *this;
  }
  const size_t length = rep_->length;
  if (position > length) {
    position = length;
  }
  MakePrivate(length + count);
  Char* buffer = rep_->buffer;
  std::memmove(buffer + position + count, buffer + position, (length - position) * sizeof(Char));
  for (size_t i = 0; i < count; ++i) {
    buffer[position + i] = ch;
  }
  rep_->length = length + count;
  buffer[rep_->length] = 0;
  return *this;
}

template <class Char>
SharedString<Char>& SharedString<Char>::Erase(size_t position, size_t count) {
  const size_t length = rep_->length;
  if (position >= length || count == 0) {
    return *this;
  }
  if (count >= length - position) {
    // Erasing through the end is a cut, which also gives an emptied text the shared empty
    // representation.
    Truncate(position);
    return *this;
  }
  MakePrivate(length);
  Char* buffer = rep_->buffer;
  std::memmove(buffer + position, buffer + position + count,
               (length - position - count) * sizeof(Char));
  rep_->length = length - count;
  buffer[rep_->length] = 0;
  return *this;
}

template <class Char>
int SharedString<Char>::Compare(const Char* text) const {
  static const Char kNothing[1] = {0};
  const Char* left = rep_->buffer;
  const Char* right = text != nullptr ? text : kNothing;
  for (size_t i = 0;; ++i) {
    const int a = OrderOf(left[i]);
    const int b = OrderOf(right[i]);
    if (a != b) {
      return a > b ? 1 : -1;
    }
    if (a == 0) {
      return 0;
    }
  }
}

template <class Char>
SharedString<Char> SharedString<Char>::FromLiteral(const Char* literal) {
  if (literal == nullptr) {
    return SharedString();
  }
  void* rep = CacheFor<Char>().Find(literal, [](const void* address) -> void* {
    return RepFor(static_cast<const Char*>(address));
  });
  Retain(static_cast<Rep*>(rep));
  return SharedString(static_cast<Rep*>(rep));
}

template <class Char>
SharedString<Char> operator+(const SharedString<Char>& left, const SharedString<Char>& right) {
  SharedString<Char> result;
  if (left.IsEmpty() && right.IsEmpty()) {
    return result;
  }
  result.Reserve(left.Length() + right.Length());
  result.Append(left);
  result.Append(right);
  return result;
}

template class SharedString<char>;
template class SharedString<Utf16Char>;
template SharedString<char> operator+(const SharedString<char>&, const SharedString<char>&);
template SharedString<Utf16Char> operator+(const SharedString<Utf16Char>&,
                                           const SharedString<Utf16Char>&);

bool String8EndsWith(const String8& text, const char* suffix) {
  const size_t count = TextLength(suffix);
  const size_t length = text.Length();
  if (count == 0) {
    return true;
  }
  if (count > length) {
    return false;
  }
  return std::memcmp(text.CStr() + length - count, suffix, count) == 0;
}

namespace {

template <class Char>
const Char* ZeroText();
template <>
const char* ZeroText<char>() {
  static const char kZero[] = "0";
  return kZero;
}
template <>
const Utf16Char* ZeroText<Utf16Char>() {
  static const Utf16Char kZero[] = U16("0");
  return kZero;
}

// Digits are collected from the least significant one, then written after the sign.
template <class Char, class Value>
SharedString<Char> DecimalText(Value value) {
  if (value == 0) {
    return SharedString<Char>::FromLiteral(ZeroText<Char>());
  }
  using Unsigned = std::make_unsigned_t<Value>;
  const bool negative = value < 0;
  // Negating in the unsigned type keeps the most negative value representable.
  Unsigned magnitude = negative ? Unsigned(0) - static_cast<Unsigned>(value)
                                : static_cast<Unsigned>(value);
  Char digits[24];
  size_t count = 0;
  while (magnitude != 0) {
    digits[count++] = static_cast<Char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  SharedString<Char> text;
  text.Reserve(count + 1);
  if (negative) {
    text.Append(1, static_cast<Char>('-'));
  }
  while (count != 0) {
    text.Append(1, digits[--count]);
  }
  return text;
}

}  // namespace

String8 IntToString8(int32_t value) { return DecimalText<char>(value); }

String16 Int64ToString16(int64_t value) { return DecimalText<Utf16Char>(value); }

String16 Int64ToString16(int32_t value) { return Int64ToString16(static_cast<int64_t>(value)); }

namespace {

// The caches are not locked; filling them with "0" before the entry point runs means the
// window thread and the engine thread only ever read them.
[[maybe_unused]] const bool g_zeros_cached = (IntToString8(0), Int64ToString16(int64_t{0}), true);

}  // namespace
