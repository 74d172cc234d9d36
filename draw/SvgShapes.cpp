#include "draw/SvgShapes.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <string>

#include "draw/Drawing.h"
#include "draw/PathData.h"

namespace svg {
namespace {

using Commands = std::optional<std::vector<PathCommand>>;

// A shape's outline, built command by command; every number a shape gives
// is checked as path data checks its numbers, so a shape and the same
// outline written as path data are read alike.
class Outline {
 public:
  explicit Outline(std::size_t& budget) : builder_(commands_, budget) {}
  Outline(const Outline&) = delete;
  Outline& operator=(const Outline&) = delete;

  Outline& moveTo(double x, double y) {
    if (numbersOk({x, y})) builder_.moveTo(Point(x, y));
    return *this;
  }
  Outline& lineTo(double x, double y) {
    if (numbersOk({x, y})) builder_.lineTo(Point(x, y));
    return *this;
  }
  // A clockwise elliptic arc, unturned, to (x, y).
  Outline& arcTo(double rx, double ry, bool large, double x, double y) {
    if (numbersOk({rx, ry, x, y})) builder_.arcTo(OutlineNumber(rx), OutlineNumber(ry), 0, large, true, Point(x, y));
    return *this;
  }
  Outline& close() {
    if (ok_) builder_.close();
    return *this;
  }
  Commands take() {
    if (!ok_ || !builder_.ok()) return std::nullopt;
    return std::move(commands_);
  }

 private:
  static PathPoint Point(double x, double y) { return {OutlineNumber(x), OutlineNumber(y)}; }
  bool numbersOk(std::initializer_list<double> numbers) {
    ok_ = ok_ && std::all_of(numbers.begin(), numbers.end(), PathNumberOk);
    return ok_;
  }

  std::vector<PathCommand> commands_;  // before builder_, which holds on to it
  PathBuilder builder_;
  bool ok_ = true;
};

// rx or ry alone stands for both; each is at most half its side.
Commands RectPath(const XmlElement& e, const Viewport& v, std::size_t& budget) {
  const auto x = AttributeLength(e, "x", 0, v.width), y = AttributeLength(e, "y", 0, v.height);
  const auto w = AttributeLength(e, "width", 0, v.width), h = AttributeLength(e, "height", 0, v.height);
  const std::string* rxText = e.attribute("", "rx");
  const std::string* ryText = e.attribute("", "ry");
  std::optional<double> rx = rxText ? Length(*rxText, v.width) : std::optional<double>(0);
  std::optional<double> ry = ryText ? Length(*ryText, v.height) : std::optional<double>(0);
  if (!x || !y || !w || !h || !rx || !ry || *w < 0 || *h < 0 || *rx < 0 || *ry < 0) return std::nullopt;
  if (!rxText) rx = ry;
  if (!ryText) ry = rx;
  const double rX = std::min(*rx, *w / 2), rY = std::min(*ry, *h / 2);
  if (*w == 0 || *h == 0) return std::vector<PathCommand>();
  const double left = *x, top = *y, right = *x + *w, bottom = *y + *h;
  Outline out(budget);
  if (rX > 0 && rY > 0) {
    out.moveTo(left + rX, top).lineTo(right - rX, top).arcTo(rX, rY, false, right, top + rY);
    out.lineTo(right, bottom - rY).arcTo(rX, rY, false, right - rX, bottom).lineTo(left + rX, bottom);
    out.arcTo(rX, rY, false, left, bottom - rY).lineTo(left, top + rY).arcTo(rX, rY, false, left + rX, top);
  } else {
    out.moveTo(left, top).lineTo(right, top).lineTo(right, bottom).lineTo(left, bottom);
  }
  return out.close().take();
}

// Two half turns from the rightmost point.
Commands EllipseOutline(double cx, double cy, double rx, double ry, std::size_t& budget) {
  if (rx == 0 || ry == 0) return std::vector<PathCommand>();
  Outline out(budget);
  out.moveTo(cx + rx, cy).arcTo(rx, ry, true, cx - rx, cy).arcTo(rx, ry, true, cx + rx, cy);
  return out.close().take();
}

Commands CirclePath(const XmlElement& e, const Viewport& v, std::size_t& budget) {
  const auto cx = AttributeLength(e, "cx", 0, v.width), cy = AttributeLength(e, "cy", 0, v.height);
  const auto r = AttributeLength(e, "r", 0, v.diagonal());
  if (!cx || !cy || !r || *r < 0) return std::nullopt;
  return EllipseOutline(*cx, *cy, *r, *r, budget);
}

Commands EllipsePath(const XmlElement& e, const Viewport& v, std::size_t& budget) {
  const auto cx = AttributeLength(e, "cx", 0, v.width), cy = AttributeLength(e, "cy", 0, v.height);
  const auto rx = AttributeLength(e, "rx", 0, v.width), ry = AttributeLength(e, "ry", 0, v.height);
  if (!cx || !cy || !rx || !ry || *rx < 0 || *ry < 0) return std::nullopt;
  return EllipseOutline(*cx, *cy, *rx, *ry, budget);
}

Commands LinePath(const XmlElement& e, const Viewport& v, std::size_t& budget) {
  const auto x1 = AttributeLength(e, "x1", 0, v.width), y1 = AttributeLength(e, "y1", 0, v.height);
  const auto x2 = AttributeLength(e, "x2", 0, v.width), y2 = AttributeLength(e, "y2", 0, v.height);
  if (!x1 || !y1 || !x2 || !y2) return std::nullopt;
  Outline out(budget);
  return out.moveTo(*x1, *y1).lineTo(*x2, *y2).take();
}

// polyline and polygon: an odd number of coordinates drops the last one.
Commands PointsPath(const XmlElement& e, bool closed, std::size_t& budget) {
  const std::string* points = e.attribute("", "points");
  const std::optional<std::vector<double>> v = Numbers(points ? *points : std::string_view(), kMaxPathCommands * 2);
  if (!v) return std::nullopt;
  Outline out(budget);
  for (std::size_t i = 0; i + 1 < v->size(); i += 2) {
    if (i == 0) out.moveTo((*v)[i], (*v)[i + 1]);
    else out.lineTo((*v)[i], (*v)[i + 1]);
  }
  if (closed && v->size() >= 2) out.close();
  return out.take();
}

Commands PolylinePath(const XmlElement& e, const Viewport&, std::size_t& budget) { return PointsPath(e, false, budget); }
Commands PolygonPath(const XmlElement& e, const Viewport&, std::size_t& budget) { return PointsPath(e, true, budget); }

Commands PathElementPath(const XmlElement& e, const Viewport&, std::size_t& budget) {
  const std::string* d = e.attribute("", "d");
  return ParsePathData(d ? std::string_view(*d) : std::string_view(), budget);
}

struct ShapeKind {
  std::string_view name;
  Commands (*path)(const XmlElement&, const Viewport&, std::size_t&);
};
constexpr ShapeKind kShapes[] = {
    {"path", PathElementPath}, {"rect", RectPath},         {"circle", CirclePath},   {"ellipse", EllipsePath},
    {"line", LinePath},        {"polyline", PolylinePath}, {"polygon", PolygonPath},
};

const ShapeKind* FindShape(std::string_view name) {
  for (const ShapeKind& kind : kShapes) {
    if (kind.name == name) return &kind;
  }
  return nullptr;
}

}  // namespace

double OutlineNumber(double v) {
  char text[32];
  const auto printed = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 9);
  double kept = v;
  if (printed.ec == std::errc()) std::from_chars(text, printed.ptr, kept);
  return kept;
}

bool IsShape(std::string_view name) { return FindShape(name) != nullptr; }

bool DrawsNothingInPlace(std::string_view name) {
  static constexpr std::string_view kNotDrawn[] = {"title", "desc", "metadata", "defs", "linearGradient",
                                                    "radialGradient", "clipPath", "symbol", "marker", "mask",
                                                    "pattern", "filter", "stop"};
  return std::find(std::begin(kNotDrawn), std::end(kNotDrawn), name) != std::end(kNotDrawn);
}

std::optional<std::vector<PathCommand>> ShapePath(const XmlElement& e, const Viewport& viewport, std::size_t& budget) {
  const ShapeKind* kind = FindShape(e.name);
  return kind ? kind->path(e, viewport, budget) : std::nullopt;
}

}  // namespace svg
