#pragma once
// String8 (bytes) and String16 (UTF-16 units): reference-counted, copy-on-write texts.
// A copy costs one atomic increment; every change first makes the text private. All empty
// strings of one width share one static representation, which is never freed.
#include <cstddef>
#include <cstdint>

#include "common/utf16.h"

template <class Char>
class SharedString {
 public:
  SharedString();
  SharedString(const Char* text);  // NOLINT(google-explicit-constructor): texts convert freely
  SharedString(const SharedString& other);
  SharedString(SharedString&& other) noexcept;
  ~SharedString();

  SharedString& operator=(const SharedString& other);
  SharedString& operator=(SharedString&& other) noexcept;
  SharedString& operator=(const Char* text);

  size_t Length() const;
  bool IsEmpty() const { return Length() == 0; }
  const Char* CStr() const;

  // Makes the text private and returns its buffer; Length() + 1 characters may be written
  // (the last one is the terminator and must stay zero).
  Char* Writable();
  // Makes the text private with room for at least `capacity` characters.
  void Reserve(size_t capacity);
  // Cuts the text to `length` characters (no effect when it is not shorter).
  void Truncate(size_t length);

  SharedString& Append(const Char* text);
  SharedString& Append(const SharedString& text);
  SharedString& Append(size_t count, Char ch);
  // A position beyond the end is taken as the end.
  SharedString& Insert(size_t position, size_t count, Char ch);
  // Removes up to `count` characters from `position`; nothing when the position is past the end.
  SharedString& Erase(size_t position, size_t count);

  // 0 when equal, otherwise 1 or -1 by the first differing character. String8 compares bytes
  // as signed values, String16 compares units as unsigned values.
  int Compare(const Char* text) const;
  bool operator==(const Char* text) const { return Compare(text) == 0; }
  bool operator!=(const Char* text) const { return Compare(text) != 0; }

  // True when both objects share one representation (what a copy gives).
  bool SharesWith(const SharedString& other) const { return rep_ == other.rep_; }

  // The cached string for a string literal: the same literal always gives the same
  // representation. For literals with static lifetime only.
  static SharedString FromLiteral(const Char* literal);

  struct Rep;

 private:
  explicit SharedString(Rep* rep) : rep_(rep) {}
  void MakePrivate(size_t capacity);

  Rep* rep_;
};

template <class Char>
SharedString<Char> operator+(const SharedString<Char>& left, const SharedString<Char>& right);

using String8 = SharedString<char>;
using String16 = SharedString<Utf16Char>;

extern template class SharedString<char>;
extern template class SharedString<Utf16Char>;

// True when `suffix` is null or empty, false when it is longer than `text`, otherwise whether
// `text` ends with it byte for byte.
bool String8EndsWith(const String8& text, const char* suffix);

// Decimal texts; zero gives the cached constant "0".
String8 IntToString8(int32_t value);
String16 Int64ToString16(int64_t value);
String16 Int64ToString16(int32_t value);
