#include "skinui/core/attribute_values.h"

#include <array>
#include <limits>

namespace SkinUI {

namespace {

bool IsWhiteSpace(Utf16Char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

int HexDigit(Utf16Char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// The first N comma-separated fields of `text` as integers.
template <size_t N>
std::array<int32_t, N> ParseFields(WStringView text) {
  std::array<int32_t, N> fields{};
  for (int32_t& field : fields) {
    const size_t comma = text.find(',');
    field = ParseInteger(text.substr(0, comma));
    text.remove_prefix(comma == WStringView::npos ? text.size() : comma + 1);
  }
  return fields;
}

}  // namespace

int32_t ParseInteger(WStringView text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  // Accumulated towards the sign's side so that the lowest value is reachable; the 64-bit sum
  // is clamped after each digit and so never overflows itself.
  constexpr int64_t kLowest = std::numeric_limits<int32_t>::min();
  constexpr int64_t kHighest = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int64_t digit = text[i] - '0';
    value = negative ? value * 10 - digit : value * 10 + digit;
    if (value < kLowest) value = kLowest;
    if (value > kHighest) value = kHighest;
  }
  return static_cast<int32_t>(value);
}

UiRect ParseRect(WStringView text) {
  const auto fields = ParseFields<4>(text);
  return UiRect{fields[0], fields[1], fields[2], fields[3]};
}

UiSize ParseSize(WStringView text) {
  const auto fields = ParseFields<2>(text);
  return UiSize{fields[0], fields[1]};
}

uint32_t ParseColor(WStringView text) {
  if (!text.empty() && text.front() == '#') text.remove_prefix(1);
  constexpr uint64_t kHighest = std::numeric_limits<uint32_t>::max();
  uint64_t value = 0;
  for (size_t i = 0; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
    value = value * 16 + static_cast<uint64_t>(HexDigit(text[i]));
    if (value > kHighest) value = kHighest;
  }
  return static_cast<uint32_t>(value);
}

bool ParseBool(WStringView text) { return NameEquals(text, U16("true")); }

HorizontalAlign ParseAlign(WStringView text, HorizontalAlign current) {
  if (text.find(U16("left")) != WStringView::npos) current = HorizontalAlign::kLeft;
  if (text.find(U16("center")) != WStringView::npos) current = HorizontalAlign::kCenter;
  if (text.find(U16("right")) != WStringView::npos) current = HorizontalAlign::kRight;
  return current;
}

std::vector<MarkupAttribute> ParseQuotedPairs(WStringView text, Utf16Char quote) {
  std::vector<MarkupAttribute> pairs;
  size_t i = 0;
  while (true) {
    const size_t pair_start = i;
    while (i < text.size() && IsWhiteSpace(text[i])) ++i;
    if (i == text.size()) break;
    // Pairs are separated: one that follows its predecessor's closing quote directly is not.
    if (!pairs.empty() && i == pair_start) break;
    const size_t key_start = i;
    while (i < text.size() && text[i] != '=' && !IsWhiteSpace(text[i])) ++i;
    if (i == key_start || i + 1 >= text.size() || text[i] != '=' || text[i + 1] != quote) break;
    const size_t value_start = i + 2;
    const size_t value_end = text.find(quote, value_start);
    if (value_end == WStringView::npos) break;
    pairs.push_back({WString(text.substr(key_start, i - key_start)),
                     WString(text.substr(value_start, value_end - value_start))});
    i = value_end + 1;
  }
  return pairs;
}

}  // namespace SkinUI
