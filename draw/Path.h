#pragma once
// A path as the drawing model keeps it: absolute moves, lines, cubic curves
// and closes, the few commands a renderer replays. Readers make them once,
// from path data text (draw/PathData) or from shapes (draw/SvgShapes), with
// a PathBuilder, which also turns quadratic curves and elliptic arcs into
// cubic curves.
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

struct PathPoint {
  double x = 0, y = 0;
};

struct PathCommand {
  enum class Op : std::uint8_t { MoveTo, LineTo, CubicTo, Close };
  Op op = Op::MoveTo;
  PathPoint c1, c2;  // CubicTo: the control points
  PathPoint to;      // the end point; for Close the subpath's start
};

// A number a path may be given: Android reads path data as floats, so
// anything beyond float range is not a number there, and shapes keep to
// the same range.
inline bool PathNumberOk(double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

// Appends commands to `out`, keeping what the next command needs: the
// current point, the subpath's start, and the last control point for
// smooth curves. `budget` is how many commands the caller still allows
// (one drawing shares one budget over all its paths); every command takes
// one, an arc up to four. Once the budget is spent or a point is not
// finite, ok() is false and nothing more is added.
class PathBuilder {
 public:
  PathBuilder(std::vector<PathCommand>& out, std::size_t& budget) : out_(out), budget_(budget) {}

  PathPoint current() const { return current_; }
  bool ok() const { return ok_; }

  void moveTo(PathPoint to);
  void lineTo(PathPoint to);
  void cubicTo(PathPoint c1, PathPoint c2, PathPoint to);
  // A quadratic curve, as the cubic it exactly is.
  void quadTo(PathPoint q, PathPoint to);
  void close();
  // The first control point of a smooth cubic (or the control point of a
  // smooth quadratic): the previous curve's last one mirrored, when that
  // curve was of the same kind; else the current point.
  PathPoint smoothControl(bool cubic) const;
  // An elliptic arc to `to`, radii in the x and y of an ellipse turned by
  // `degrees`, as at most four cubics.
  void arcTo(double rx, double ry, double degrees, bool large, bool sweep, PathPoint to);

 private:
  enum class Curve { None, Cubic, Quad };

  void emit(const PathCommand& command);

  std::vector<PathCommand>& out_;
  std::size_t& budget_;
  PathPoint current_, start_, control_;
  Curve last_ = Curve::None;
  bool ok_ = true;
};
