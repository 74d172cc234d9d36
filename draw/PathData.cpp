#include "draw/PathData.h"

#include <charconv>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads numbers and flags with a sticky failure: after the first bad token
// every read fails, so a segment is checked once at its end.
class PathScanner {
 public:
  explicit PathScanner(std::string_view text) : text_(text) {}

  bool ok() const { return ok_; }
  bool atEnd() {
    skipSeparators();
    return pos_ >= text_.size();
  }
  char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  void advance() { ++pos_; }
  bool atNumber() {
    skipSeparators();
    const char c = peek();
    return IsDigit(c) || c == '.' || c == '-' || c == '+';
  }

  // [sign] (digits [. digits] | . digits) [(e|E) [sign] digits]; the
  // longest such text, so "1e-3.5" is 1e-3 followed by .5.
  double number() {
    if (!atNumber()) return fail();
    const std::size_t start = pos_;
    if (peek() == '-' || peek() == '+') ++pos_;
    const std::size_t mantissa = pos_;
    skipDigits();
    bool digits = pos_ > mantissa;
    if (peek() == '.') {
      ++pos_;
      const std::size_t fraction = pos_;
      skipDigits();
      digits = digits || pos_ > fraction;
    }
    if (!digits) return fail();
    if (peek() == 'e' || peek() == 'E') {
      ++pos_;
      if (peek() == '-' || peek() == '+') ++pos_;
      const std::size_t exponent = pos_;
      skipDigits();
      if (pos_ == exponent) return fail();
    }
    // from_chars takes no leading plus; it reads the same text in every locale.
    const std::size_t first = text_[start] == '+' ? start + 1 : start;
    double value = 0;
    const auto result = std::from_chars(text_.data() + first, text_.data() + pos_, value);
    if (result.ec != std::errc() || result.ptr != text_.data() + pos_ || !PathNumberOk(value)) return fail();
    return value;
  }

  // An arc flag is one character, so "a1 1 0 01 1 1" has flags 0 and 1.
  bool flag() {
    skipSeparators();
    const char c = peek();
    if (c != '0' && c != '1') {
      fail();
      return false;
    }
    ++pos_;
    return c == '1';
  }

 private:
  void skipSeparators() {
    while (pos_ < text_.size() && IsSeparator(text_[pos_])) ++pos_;
  }
  void skipDigits() {
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
  }
  double fail() {
    ok_ = false;
    pos_ = text_.size();
    return 0;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

PathPoint Add(PathPoint a, PathPoint b) { return {a.x + b.x, a.y + b.y}; }

bool IsCommand(char c) { return std::string_view("MmLlHhVvCcSsQqTtAaZz").find(c) != std::string_view::npos; }

// Reads one argument set of `command` (a letter, upper case absolute) and
// adds what it draws.
void ReadSegment(char command, PathScanner& in, PathBuilder& path) {
  const bool relative = command >= 'a';
  const PathPoint origin = relative ? path.current() : PathPoint{};
  auto point = [&] {
    const double x = in.number();
    const double y = in.number();
    return Add(origin, {x, y});
  };
  switch (command | 0x20) {
    case 'm': {
      const PathPoint to = point();
      if (in.ok()) path.moveTo(to);
      return;
    }
    case 'l': {
      const PathPoint to = point();
      if (in.ok()) path.lineTo(to);
      return;
    }
    case 'h': {
      const double x = in.number();
      if (in.ok()) path.lineTo({relative ? origin.x + x : x, path.current().y});
      return;
    }
    case 'v': {
      const double y = in.number();
      if (in.ok()) path.lineTo({path.current().x, relative ? origin.y + y : y});
      return;
    }
    case 'c': {
      const PathPoint c1 = point(), c2 = point(), to = point();
      if (in.ok()) path.cubicTo(c1, c2, to);
      return;
    }
    case 's': {
      const PathPoint c2 = point(), to = point();
      if (in.ok()) path.cubicTo(path.smoothControl(true), c2, to);
      return;
    }
    case 'q': {
      const PathPoint q = point(), to = point();
      if (in.ok()) path.quadTo(q, to);
      return;
    }
    case 't': {
      const PathPoint to = point();
      if (in.ok()) path.quadTo(path.smoothControl(false), to);
      return;
    }
    case 'a': {
      const double rx = in.number(), ry = in.number(), degrees = in.number();
      const bool large = in.flag(), sweep = in.flag();
      const PathPoint to = point();
      if (in.ok()) path.arcTo(rx, ry, degrees, large, sweep, to);
      return;
    }
  }
}

}  // namespace

std::optional<std::vector<PathCommand>> ParsePathData(std::string_view text, std::size_t& budget) {
  std::vector<PathCommand> commands;
  PathScanner in(text);
  PathBuilder path(commands, budget);
  char command = 0;
  while (in.ok() && path.ok() && !in.atEnd()) {
    const char c = in.peek();
    if (IsCommand(c)) {
      in.advance();
      command = c;
      if ((c | 0x20) == 'z') {
        path.close();
        continue;
      }
    } else if (command == 0 || (command | 0x20) == 'z' || !in.atNumber()) {
      return std::nullopt;  // a stray character, or numbers with no command to repeat
    } else if ((command | 0x20) == 'm') {
      command = command == 'M' ? 'L' : 'l';  // pairs after a move are lines
    }
    ReadSegment(command, in, path);
  }
  if (!in.ok() || !path.ok()) return std::nullopt;
  return commands;
}
