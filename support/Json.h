#pragma once
// A bounded reader of JSON text (RFC 8259) for the few documents packages
// carry, such as a split bundle's manifest.json.
#include <cstddef>
#include <string>
#include <string_view>

#include "support/TextScan.h"
#include "support/Utf8.h"

// Objects and arrays nest at most this deep (the outermost counts as the
// first), so a hostile document cannot exhaust the stack.
inline constexpr int kMaxJsonDepth = 64;

// A reader of just enough JSON to walk a document: every value is checked
// for form and skipped unless the caller reads it. The first error poisons
// the reader (ok() stays false and nothing further is read). Nesting is
// capped, so a hostile manifest cannot exhaust the stack.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  bool ok() const { return ok_; }
  bool atEnd() {
    skipBlank();
    return at_ == text_.size();
  }
  char peek() {
    skipBlank();
    return at_ < text_.size() ? text_[at_] : '\0';
  }

  // Reads "{ "key": value, ... }", handing each key to member, which must
  // read or skip the value at depth + 1.
  template <typename Member>
  void readObject(int depth, Member member) {
    if (depth >= kMaxJsonDepth || !expect('{')) return fail();
    if (take('}')) return;
    do {
      const std::string key = readString();
      if (!ok_ || !expect(':')) return fail();
      member(key, depth + 1);
    } while (ok_ && take(','));
    if (!expect('}')) fail();
  }

  // Reads "[ value, ... ]", element reading or skipping each at depth + 1.
  template <typename Element>
  void readArray(int depth, Element element) {
    if (depth >= kMaxJsonDepth || !expect('[')) return fail();
    if (take(']')) return;
    do element(depth + 1);
    while (ok_ && take(','));
    if (!expect(']')) fail();
  }

  std::string readString() {
    std::string out;
    if (!expect('"')) return {};
    while (ok_ && at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20 || (c == '\\' && at_ >= text_.size())) break;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      const char e = text_[at_++];
      switch (e) {
        case '"': case '\\': case '/': out.push_back(e); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'u': readEscapedCodePoint(out); break;
        default: fail();
      }
    }
    fail();  // no closing quote
    return {};
  }

  void skipValue(int depth) {
    switch (peek()) {
      case '{': return readObject(depth, [this](const std::string&, int inner) { skipValue(inner); });
      case '[': return readArray(depth, [this](int inner) { skipValue(inner); });
      case '"': readString(); return;
      default: return skipScalar();
    }
  }

 private:
  void fail() {
    ok_ = false;
    at_ = text_.size();
  }
  void skipBlank() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r')) ++at_;
  }
  bool take(char c) {
    if (peek() != c || at_ >= text_.size()) return false;
    ++at_;
    return true;
  }
  bool expect(char c) {
    if (!take(c)) fail();
    return ok_;
  }

  // true, false, null or a number; the number's form is checked loosely
  // (only its characters), as nothing here reads its value.
  void skipScalar() {
    skipBlank();
    const std::size_t start = at_;
    while (at_ < text_.size() && std::string_view("+-.0123456789eEtrufalsn").find(text_[at_]) != std::string_view::npos) ++at_;
    const std::string_view token = text_.substr(start, at_ - start);
    if (token == "true" || token == "false" || token == "null") return;
    if (token.empty() || token.find_first_not_of("+-.0123456789eE") != std::string_view::npos) fail();
  }

  int readHex4() {
    if (text_.size() - at_ < 4) return -1;
    int value = 0;
    for (int i = 0; i < 4; ++i) {
      const int digit = HexDigitValue(text_[at_++]);
      if (digit < 0) return -1;
      value = value * 16 + digit;
    }
    return value;
  }

  // "\uXXXX", a surrogate pair as two of them, written out as UTF-8.
  void readEscapedCodePoint(std::string& out) {
    const int code = readHex4();
    if (code < 0 || IsLowSurrogate(code)) return fail();
    if (!IsHighSurrogate(code)) return AppendUtf8(out, code);
    if (text_.size() - at_ < 2 || text_[at_] != '\\' || text_[at_ + 1] != 'u') return fail();
    at_ += 2;
    const int low = readHex4();
    if (low < 0 || !IsLowSurrogate(low)) return fail();
    AppendUtf8(out, CodePointFromSurrogates(code, low));
  }

  std::string_view text_;
  std::size_t at_ = 0;
  bool ok_ = true;
};
