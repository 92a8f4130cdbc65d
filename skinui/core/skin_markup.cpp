#include "skinui/core/skin_markup.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "common/text_convert.h"

namespace SkinUI {

namespace {

Utf16Char AsciiLower(Utf16Char ch) { return (ch >= 'A' && ch <= 'Z') ? static_cast<Utf16Char>(ch - 'A' + 'a') : ch; }

bool IsWhiteSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

bool IsNameStart(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_' || ch == ':'; }

bool IsNameChar(char ch) { return IsNameStart(ch) || (ch >= '0' && ch <= '9') || ch == '-' || ch == '.'; }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

struct TextPosition {
  size_t line;
  size_t column;
};

// Both from 1; columns count characters, so that a column in a line of Chinese text is where an
// editor shows it.
TextPosition PositionOf(const char* begin, const char* at) {
  TextPosition position{1, 1};
  for (const char* p = begin; p != at; ++p) {
    if (*p == '\n') {
      ++position.line;
      position.column = 1;
    } else if (!IsContinuation(static_cast<unsigned char>(*p))) {
      ++position.column;
    }
  }
  return position;
}

std::string WhereText(TextPosition position) {
  return "line " + std::to_string(position.line) + ", column " + std::to_string(position.column);
}

// The first byte of `text` that does not belong to well-formed UTF-8, with what is wrong
// there; null when all is well. A zero byte counts as wrong: the values are converted as
// zero-terminated texts, and a skin file has no use for one.
const char* FindMalformedUtf8(const char* text, const char* end, const char** what) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const auto* stop = reinterpret_cast<const unsigned char*>(end);
  while (p != stop) {
    const unsigned char lead = *p;
    if (lead < 0x80) {
      if (lead == 0) {
        *what = "zero byte";
        return reinterpret_cast<const char*>(p);
      }
      ++p;
      continue;
    }
    // The length of the sequence and the range of its second byte, which rules out overlong
    // forms, surrogates and code points beyond U+10FFFF.
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      *what = "malformed UTF-8: a byte that cannot start a character";
      return reinterpret_cast<const char*>(p);
    }
    if (static_cast<size_t>(stop - p) < length) {
      *what = "UTF-8 character cut short by the end of the file";
      return reinterpret_cast<const char*>(p);
    }
    bool whole = p[1] >= low && p[1] <= high;
    for (size_t i = 2; whole && i < length; ++i) whole = IsContinuation(p[i]);
    if (!whole) {
      *what = "malformed UTF-8: a character cut short";
      return reinterpret_cast<const char*>(p);
    }
    p += length;
  }
  return nullptr;
}

struct Entity {
  std::string_view text;
  char replacement;
};
constexpr Entity kEntities[] = {
    {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''},
};

// The value between the quotes as the toolkit sees it: the five entities decoded, any other
// "&" kept, and white space after a blank dropped, so that values broken over several lines
// read as one line.
WString DecodeValue(const char* begin, const char* end) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(end - begin));
  const char* p = begin;
  while (p != end) {
    if (*p == '&') {
      const std::string_view rest(p, static_cast<size_t>(end - p));
      const Entity* found = std::find_if(std::begin(kEntities), std::end(kEntities), [rest](const Entity& entity) {
        return rest.compare(0, entity.text.size(), entity.text) == 0;
      });
      const bool known = found != std::end(kEntities);
      bytes += known ? found->replacement : '&';
      p += known ? found->text.size() : 1;
    } else if (*p == ' ') {
      bytes += ' ';
      ++p;
      while (p != end && IsWhiteSpace(*p)) ++p;
    } else {
      bytes += *p++;
    }
  }
  const String16 converted = Utf8ToString16(bytes.c_str());
  return WString(converted.CStr(), converted.Length());
}

}  // namespace

// Reads the whole file without recursion: the open elements are kept on a stack of their own,
// whose height kMaxMarkupDepth bounds.
class MarkupParser {
 public:
  MarkupParser(const char* begin, const char* end) : begin_(begin), p_(begin), end_(end) {}

  // The root, or null with error_at() and error() telling why.
  std::unique_ptr<MarkupNode> Parse() {
    const char* what = nullptr;
    if (const char* bad = FindMalformedUtf8(begin_, end_, &what)) {
      Fail(bad, what);
      return nullptr;
    }
    std::unique_ptr<MarkupNode> root;
    while (SkipWhiteSpace(), p_ != end_) {
      if (!ReadMarkup(&root)) return nullptr;
    }
    if (!open_.empty()) {
      Fail(end_, Describe(open_.back()) + " is not closed");
      return nullptr;
    }
    if (root == nullptr) {
      Fail(end_, "the file holds no element");
      return nullptr;
    }
    return root;
  }

  const char* error_at() const { return error_at_; }
  const std::string& error() const { return error_; }

 private:
  struct OpenElement {
    MarkupNode* node;
    const char* tag;  // its "<"
  };

  bool StartsWith(std::string_view text) const {
    return static_cast<size_t>(end_ - p_) >= text.size() && std::memcmp(p_, text.data(), text.size()) == 0;
  }

  void SkipWhiteSpace() {
    while (p_ != end_ && IsWhiteSpace(*p_)) ++p_;
  }

  bool Fail(const char* at, std::string what) {
    error_at_ = at;
    error_ = std::move(what);
    return false;
  }

  std::string Where(const char* at) const { return WhereText(PositionOf(begin_, at)); }

  std::string Describe(const OpenElement& element) const {
    return "<" + Narrow(element.node->name_) + "> opened at " + Where(element.tag);
  }

  // Names consist of ASCII characters only, so they narrow without loss.
  static std::string Narrow(const WString& name) { return std::string(name.begin(), name.end()); }

  // Moves past the name at the current position; false when none starts there.
  bool ReadName(WString* name) {
    if (p_ == end_ || !IsNameStart(*p_)) return false;
    const char* start = p_;
    while (p_ != end_ && IsNameChar(*p_)) ++p_;
    name->assign(start, p_);
    return true;
  }

  // Moves past `terminator`, searched from `from` on.
  bool SkipPast(const char* from, std::string_view terminator) {
    const std::string_view rest(from, static_cast<size_t>(end_ - from));
    const size_t found = rest.find(terminator);
    if (found == std::string_view::npos) return false;
    p_ = from + found + terminator.size();
    return true;
  }

  // One comment, declaration, end tag or start tag at the current "<".
  bool ReadMarkup(std::unique_ptr<MarkupNode>* root) {
    const char* tag = p_;
    if (*p_ != '<') return Fail(p_, "text outside of tags");
    if (StartsWith("<!")) {
      return SkipPast(p_ + 2, "->") || Fail(tag, "comment not closed by \"->\"");
    }
    if (StartsWith("<?")) {
      return SkipPast(p_ + 2, "?>") || Fail(tag, "declaration not closed by \"?>\"");
    }
    if (StartsWith("</")) return ReadEndTag();
    if (*root != nullptr && open_.empty()) return Fail(tag, "a second root element");
    if (open_.size() == kMaxMarkupDepth) {
      return Fail(tag, "elements nested deeper than " + std::to_string(kMaxMarkupDepth));
    }
    ++p_;
    WString name;
    if (!ReadName(&name)) return Fail(p_, "expected an element name after '<'");
    MarkupNode* node = nullptr;
    if (open_.empty()) {
      *root = std::make_unique<MarkupNode>();
      node = root->get();
    } else {
      // The parent's children stay put while this node is open: only its own grow.
      node = &open_.back().node->children_.emplace_back();
    }
    node->name_ = std::move(name);
    bool self_closed = false;
    if (!ReadAttributes(node, &self_closed)) return false;
    if (!self_closed) open_.push_back({node, tag});
    return true;
  }

  bool ReadEndTag() {
    const char* tag = p_;
    p_ += 2;
    WString name;
    if (!ReadName(&name)) return Fail(p_, "expected an element name after \"</\"");
    SkipWhiteSpace();
    if (p_ == end_ || *p_ != '>') return Fail(p_, "expected '>' to end </" + Narrow(name) + ">");
    ++p_;
    if (open_.empty()) return Fail(tag, "</" + Narrow(name) + "> closes no element");
    if (open_.back().node->name_ != name) {
      return Fail(tag, "</" + Narrow(name) + "> does not close " + Describe(open_.back()));
    }
    open_.pop_back();
    return true;
  }

  // The attributes up to and including the ">" or "/>" that ends the start tag.
  bool ReadAttributes(MarkupNode* node, bool* self_closed) {
    const auto element = [node] { return "<" + Narrow(node->name_) + ">"; };
    while (true) {
      const char* before = p_;
      SkipWhiteSpace();
      if (p_ == end_) return Fail(p_, "'>' missing: the file ends inside " + element());
      if (*p_ == '>' || StartsWith("/>")) {
        *self_closed = *p_ == '/';
        p_ += *self_closed ? 2 : 1;
        return true;
      }
      WString name;
      if (p_ == before || !ReadName(&name)) {
        return Fail(p_, "expected white space, an attribute, '>' or \"/>\" in " + element());
      }
      const auto attribute = [&name, &element] { return "attribute " + Narrow(name) + " of " + element(); };
      SkipWhiteSpace();
      if (p_ == end_ || *p_ != '=') return Fail(p_, "expected '=' after " + attribute());
      ++p_;
      SkipWhiteSpace();
      if (p_ == end_ || *p_ != '"') return Fail(p_, "the value of " + attribute() + " must be in double quotes");
      const char* quote = p_++;
      const auto* close = static_cast<const char*>(std::memchr(p_, '"', static_cast<size_t>(end_ - p_)));
      if (close == nullptr) return Fail(quote, "the value of " + attribute() + " has no closing '\"'");
      node->attributes_.push_back({std::move(name), DecodeValue(p_, close)});
      p_ = close + 1;
    }
  }

  const char* const begin_;
  const char* p_;
  const char* const end_;
  std::vector<OpenElement> open_;
  const char* error_at_ = nullptr;
  std::string error_;
};

bool NameEquals(WStringView written, WStringView known) {
  if (written.size() != known.size()) return false;
  for (size_t i = 0; i < written.size(); ++i) {
    if (AsciiLower(written[i]) != AsciiLower(known[i])) return false;
  }
  return true;
}

const WString* MarkupNode::FindAttribute(WStringView name, NameMatch match) const {
  for (auto it = attributes_.rbegin(); it != attributes_.rend(); ++it) {
    if (match == NameMatch::kExact ? WStringView(it->name) == name : NameEquals(it->name, name)) return &it->value;
  }
  return nullptr;
}

bool CSkinMarkup::Load(const void* data, size_t size) {
  root_.reset();
  error_text_.clear();
  error_line_ = 0;
  error_column_ = 0;
  const char* begin = static_cast<const char*>(data);
  const char* end = begin + size;
  if (size >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;
  MarkupParser parser(begin, end);
  root_ = parser.Parse();
  if (root_ != nullptr) return true;
  const TextPosition position = PositionOf(begin, parser.error_at());
  error_line_ = position.line;
  error_column_ = position.column;
  error_text_ = WhereText(position) + ": " + parser.error();
  return false;
}

}  // namespace SkinUI
