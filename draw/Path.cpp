#include "draw/Path.h"

#include <algorithm>
#include <numbers>

namespace {

PathPoint Lerp(PathPoint a, PathPoint b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
PathPoint Reflect(PathPoint control, PathPoint about) { return {2 * about.x - control.x, 2 * about.y - control.y}; }
bool Finite(PathPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

double VectorAngle(double ux, double uy, double vx, double vy) {
  return std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
}

}  // namespace

void PathBuilder::moveTo(PathPoint to) {
  emit({PathCommand::Op::MoveTo, {}, {}, to});
  start_ = to;
  last_ = Curve::None;
}

void PathBuilder::lineTo(PathPoint to) {
  emit({PathCommand::Op::LineTo, {}, {}, to});
  last_ = Curve::None;
}

void PathBuilder::cubicTo(PathPoint c1, PathPoint c2, PathPoint to) {
  emit({PathCommand::Op::CubicTo, c1, c2, to});
  control_ = c2;
  last_ = Curve::Cubic;
}

// A quadratic curve is exactly the cubic with controls two thirds of the
// way from each end towards its one control point.
void PathBuilder::quadTo(PathPoint q, PathPoint to) {
  emit({PathCommand::Op::CubicTo, Lerp(current_, q, 2.0 / 3), Lerp(to, q, 2.0 / 3), to});
  control_ = q;
  last_ = Curve::Quad;
}

void PathBuilder::close() {
  emit({PathCommand::Op::Close, {}, {}, start_});
  last_ = Curve::None;
}

PathPoint PathBuilder::smoothControl(bool cubic) const {
  const bool mirror = last_ == (cubic ? Curve::Cubic : Curve::Quad);
  return mirror ? Reflect(control_, current_) : current_;
}

void PathBuilder::emit(const PathCommand& command) {
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
