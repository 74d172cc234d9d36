#include "draw/PathData.h"

#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <numbers>

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
    // Android reads floats: anything beyond float range is not a number there.
    if (result.ec != std::errc() || result.ptr != text_.data() + pos_ || !std::isfinite(value) ||
        std::fabs(value) > FLT_MAX) {
      return fail();
    }
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
PathPoint Lerp(PathPoint a, PathPoint b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
PathPoint Reflect(PathPoint control, PathPoint about) { return {2 * about.x - control.x, 2 * about.y - control.y}; }
bool Finite(PathPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Turns commands into absolute moves, lines and cubics, keeping what the
// next command needs: the current point, the subpath's start, and the last
// control point for S and T.
class PathBuilder {
 public:
  PathBuilder(std::vector<PathCommand>& out, std::size_t& budget) : out_(out), budget_(budget) {}

  PathPoint current() const { return current_; }
  bool ok() const { return ok_; }

  void moveTo(PathPoint to) {
    emit({PathCommand::Op::MoveTo, {}, {}, to});
    start_ = to;
    last_ = Curve::None;
  }
  void lineTo(PathPoint to) {
    emit({PathCommand::Op::LineTo, {}, {}, to});
    last_ = Curve::None;
  }
  void cubicTo(PathPoint c1, PathPoint c2, PathPoint to) {
    emit({PathCommand::Op::CubicTo, c1, c2, to});
    control_ = c2;
    last_ = Curve::Cubic;
  }
  // A quadratic curve is exactly the cubic with controls two thirds of the
  // way from each end towards its one control point.
  void quadTo(PathPoint q, PathPoint to) {
    emit({PathCommand::Op::CubicTo, Lerp(current_, q, 2.0 / 3), Lerp(to, q, 2.0 / 3), to});
    control_ = q;
    last_ = Curve::Quad;
  }
  void close() {
    emit({PathCommand::Op::Close, {}, {}, start_});
    last_ = Curve::None;
  }
  // S and T mirror the previous curve's last control point only when that
  // curve was of their own kind; otherwise the control is the current point.
  PathPoint smoothControl(bool cubic) const {
    const bool mirror = last_ == (cubic ? Curve::Cubic : Curve::Quad);
    return mirror ? Reflect(control_, current_) : current_;
  }
  void arcTo(double rx, double ry, double degrees, bool large, bool sweep, PathPoint to);

 private:
  enum class Curve { None, Cubic, Quad };

  void emit(const PathCommand& command) {
    if (!ok_) return;
    // A path that starts drawing without a move starts at the origin; said
    // here, as cairo would otherwise take the first line for a move.
    if (out_.empty() && command.op != PathCommand::Op::MoveTo) emit({PathCommand::Op::MoveTo, {}, {}, {}});
    if (budget_ == 0 || !Finite(command.c1) || !Finite(command.c2) || !Finite(command.to)) {
      ok_ = false;
      return;
    }
    --budget_;
    out_.push_back(command);
    current_ = command.to;
  }

  std::vector<PathCommand>& out_;
  std::size_t& budget_;
  PathPoint current_, start_, control_;
  Curve last_ = Curve::None;
  bool ok_ = true;
};

double VectorAngle(double ux, double uy, double vx, double vy) {
  return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
}

// An elliptic arc by its end points, converted to its centre and angles
// (the usual endpoint-to-centre conversion of SVG arcs), then drawn as at
// most four cubics, one per quarter turn or less.
void PathBuilder::arcTo(double rx, double ry, double degrees, bool large, bool sweep, PathPoint to) {
  const PathPoint from = current_;
  if (from.x == to.x && from.y == to.y) return;  // an arc to its own start draws nothing
  rx = std::fabs(rx);
  ry = std::fabs(ry);
  if (rx == 0 || ry == 0) {
    lineTo(to);
    return;
  }
  const double phi = degrees * std::numbers::pi / 180;
  const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
  const double hx = (from.x - to.x) / 2, hy = (from.y - to.y) / 2;
  const double x1 = cosPhi * hx + sinPhi * hy;
  const double y1 = -sinPhi * hx + cosPhi * hy;
  // Radii too small to reach the end point grow until they just do.
  const double lambda = (x1 * x1) / (rx * rx) + (y1 * y1) / (ry * ry);
  if (lambda > 1) {
    rx *= std::sqrt(lambda);
    ry *= std::sqrt(lambda);
  }
  const double rx2 = rx * rx, ry2 = ry * ry;
  const double denominator = rx2 * y1 * y1 + ry2 * x1 * x1;
  double root = denominator > 0 ? std::sqrt(std::max(0.0, (rx2 * ry2 - denominator) / denominator)) : 0;
  if (large == sweep) root = -root;
  const double cx1 = root * rx * y1 / ry, cy1 = -root * ry * x1 / rx;
  const double cx = cosPhi * cx1 - sinPhi * cy1 + (from.x + to.x) / 2;
  const double cy = sinPhi * cx1 + cosPhi * cy1 + (from.y + to.y) / 2;
  const double theta = VectorAngle(1, 0, (x1 - cx1) / rx, (y1 - cy1) / ry);
  double delta = VectorAngle((x1 - cx1) / rx, (y1 - cy1) / ry, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
  if (!sweep && delta > 0) delta -= 2 * std::numbers::pi;
  if (sweep && delta < 0) delta += 2 * std::numbers::pi;
  if (!std::isfinite(theta) || !std::isfinite(delta)) {
    ok_ = false;
    return;
  }

  const int segments = std::clamp(static_cast<int>(std::ceil(std::fabs(delta) / (std::numbers::pi / 2) - 1e-9)), 1, 4);
  const double step = delta / segments;
  const double k = 4.0 / 3 * std::tan(step / 4);  // control length of a unit-circle arc of `step`
  auto map = [&](double ux, double uy) {
    return PathPoint{cx + rx * cosPhi * ux - ry * sinPhi * uy, cy + rx * sinPhi * ux + ry * cosPhi * uy};
  };
  double a = theta;
  for (int i = 0; i < segments; ++i) {
    const double b = a + step;
    const PathPoint c1 = map(std::cos(a) - k * std::sin(a), std::sin(a) + k * std::cos(a));
    const PathPoint c2 = map(std::cos(b) + k * std::sin(b), std::sin(b) - k * std::cos(b));
    cubicTo(c1, c2, i + 1 == segments ? to : map(std::cos(b), std::sin(b)));
    a = b;
  }
  last_ = Curve::None;
}

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
