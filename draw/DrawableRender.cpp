#include "draw/DrawableRender.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <optional>

#include "draw/DrawingEffects.h"
#include "draw/PathData.h"
#include "support/Pacer.h"

namespace {

// An adaptive icon's layers are 108 dp a side, of which the middle 72 dp
// are shown.
constexpr double kAdaptiveLayerDp = 108, kAdaptiveShownDp = 72;
// Android's default launcher mask, in a 100-unit square over the shown part.
constexpr const char* kIconMask = "M50 0A50 50,0,1,1,50 100A50 50,0,1,1,50 0";
constexpr double kMaskUnits = 100;

// Device coordinates are clamped to this many pixels either way before
// cairo sees them: a few hundred canvases, far inside cairo's 24.8 fixed
// point (about 8 million), and it bounds how finely a curve is flattened.
constexpr double kMaxDevice = 32768;
// cairo flattens curves to within this many pixels (its default tolerance).
constexpr double kFlatTolerance = 0.1;
// A path whose flattening is estimated at this many times what is left of
// the budget is refused unflattened: cairo's count comes to between an
// eighth of the estimate and twice it, and a path of huge curves would
// otherwise cost gigabytes before its edges could be counted.
constexpr double kFlatEstimateSlack = 16;
// A transform entry beyond this (a viewport of 1e-20 units, scales
// multiplied through nested groups) refuses the drawable: no real icon
// comes near it, and it keeps products of coordinates finite.
constexpr double kMaxMatrixEntry = 1e12;
// Transforms that shrink an area below this draw nothing visible; inverting
// them for a stroke pen or a gradient would only magnify rounding.
constexpr double kMinDeterminant = 1e-12;
// Gradient geometry in its own units, clamped; cairo scales gradients into
// pixman's fixed-point range itself.
constexpr double kMaxGradientCoordinate = 1e9;
// Colours in one gradient: more than any tool writes, few enough for cheap
// lookups.
constexpr std::size_t kMaxGradientStops = 256;
constexpr int kSweepTableSize = 1024;

struct Box {
  double x = 0, y = 0, width = 0, height = 0;
};

// --- checks before drawing -------------------------------------------------

// What one icon's paths may add up to.
struct Allowance {
  int paths = kMaxDrawablePaths;
  std::size_t commands = kMaxPathCommands;
  double imagePixels = kMaxImagePixels;
};

bool Finite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool StopsFinite(const std::vector<GradientStop>& stops) {
  return std::all_of(stops.begin(), stops.end(), [](const GradientStop& s) { return std::isfinite(s.offset); });
}

bool StopsUsable(const std::vector<GradientStop>& stops) {
  return !stops.empty() && stops.size() <= kMaxGradientStops;
}

// Gradient numbers are checked even where the paint does not use them: any
// number that is not finite refuses the drawable.
bool PaintOk(const DrawingPaint& paint) {
  const DrawingGradient& g = paint.gradient;
  if (!StopsFinite(g.stops) || !Finite({g.startX, g.startY, g.endX, g.endY, g.centerX, g.centerY, g.radius})) return false;
  if (!Finite({g.focusX, g.focusY, g.transform[0], g.transform[1], g.transform[2], g.transform[3], g.transform[4],
               g.transform[5]})) {
    return false;
  }
  if (paint.kind != DrawingPaint::Kind::Gradient) return true;
  // Android refuses a radial gradient without a positive radius.
  if (g.type == DrawingGradient::Type::Radial && !(g.radius > 0)) return false;
  return StopsUsable(g.stops);
}

bool CommandsFinite(const std::vector<PathCommand>& commands) {
  return std::all_of(commands.begin(), commands.end(), [](const PathCommand& c) {
    return std::isfinite(c.c1.x) && std::isfinite(c.c1.y) && std::isfinite(c.c2.x) && std::isfinite(c.c2.y) &&
           std::isfinite(c.to.x) && std::isfinite(c.to.y);
  });
}

bool PathOk(const DrawingPath& p) {
  if (!CommandsFinite(p.commands)) return false;
  if (p.dashes.size() > kMaxDashes || !std::all_of(p.dashes.begin(), p.dashes.end(), [](float d) { return std::isfinite(d) && d >= 0; })) {
    return false;
  }
  return PaintOk(p.fill) && PaintOk(p.stroke) && std::isfinite(p.dashOffset) &&
         Finite({p.fillAlpha, p.strokeAlpha, p.strokeWidth, p.strokeMiterLimit, p.trimStart, p.trimEnd, p.trimOffset});
}

bool BitmapOk(const RgbaImage& b) {
  return b.width > 0 && b.height > 0 && ImageSizeAllowed(b.width, b.height) &&
         b.pixels.size() == std::size_t(b.width) * std::size_t(b.height) * 4;
}

bool ImageOk(const DrawingImage& image, Allowance& left) {
  if (!image.pixels || !BitmapOk(*image.pixels) || !Finite({image.x, image.y, image.width, image.height})) return false;
  left.imagePixels -= double(image.pixels->width) * image.pixels->height;
  return left.imagePixels >= 0;
}

bool RegionOk(const DrawingRegion& r) { return Finite({r.x, r.y, r.width, r.height}); }

bool FilterOk(const DrawingFilter& f) {
  if (!RegionOk(f.region) || f.steps.size() > kMaxFilterPrimitives) return false;
  for (std::size_t i = 0; i < f.steps.size(); ++i) {
    if (!FilterStepOk(f.steps[i], int(i))) return false;
  }
  return true;
}

// Checks every number in a group and its descendants (mask content
// included), the nesting depth, the depth of masks and filters within one
// another's drawing (`effects`), and what the icon's paths and pictures add
// up to (counted down in `left`).
bool GroupOk(const DrawingGroup& g, int depth, Allowance& left, int effects = 0) {
  if (depth > kMaxDrawableDepth) return false;
  if (!Finite({g.rotation, g.pivotX, g.pivotY, g.scaleX, g.scaleY, g.translateX, g.translateY, g.opacity})) return false;
  if (!Finite({g.matrix[0], g.matrix[1], g.matrix[2], g.matrix[3], g.matrix[4], g.matrix[5]})) return false;
  if ((g.filter || g.mask) && ++effects > kMaxEffectDepth) return false;
  if (g.filter && !FilterOk(*g.filter)) return false;
  if (g.mask && (!RegionOk(g.mask->region) || !GroupOk(g.mask->content, depth + 1, left, effects))) return false;
  for (const DrawingNode& node : g.children) {
    if (node.kind == DrawingNode::Kind::Group) {
      if (!GroupOk(node.group, depth + 1, left, effects)) return false;
      continue;
    }
    if (--left.paths < 0) return false;
    if (node.kind == DrawingNode::Kind::Image) {
      if (!ImageOk(node.image, left)) return false;
      continue;
    }
    if (node.path.commands.size() > left.commands || !PathOk(node.path)) return false;
    left.commands -= node.path.commands.size();
  }
  return true;
}

bool VectorOk(const Drawing& v, int depth, Allowance& left) {
  return Finite({v.widthDp, v.heightDp, v.alpha}) && v.viewportWidth > 0 && v.viewportHeight > 0 &&
         std::isfinite(v.viewportWidth) && std::isfinite(v.viewportHeight) && GroupOk(v.root, depth, left);
}

bool ShapeOk(const ShapeDrawable& s) {
  const ShapeGradient& g = s.gradient;
  return Finite({s.cornerRadii[0], s.cornerRadii[1], s.cornerRadii[2], s.cornerRadii[3]}) &&
         Finite({g.angle, g.centerX, g.centerY, g.radius}) && StopsFinite(g.stops) &&
         (!s.hasGradient || StopsUsable(g.stops));
}

bool LayerOk(const LayerDrawable& layer, int depth, Allowance& left) {
  if (depth > kMaxDrawableDepth) return false;
  switch (layer.kind) {
    case LayerDrawable::Kind::Color:
      return true;
    case LayerDrawable::Kind::Bitmap:
      return BitmapOk(layer.bitmap);
    case LayerDrawable::Kind::Vector:
      return VectorOk(layer.vector, depth + 1, left);
    case LayerDrawable::Kind::Shape:
      return ShapeOk(layer.shape);
    case LayerDrawable::Kind::Inset:
      return Finite({layer.insets[0], layer.insets[1], layer.insets[2], layer.insets[3]}) && layer.inner &&
             LayerOk(*layer.inner, depth + 1, left);
  }
  return false;  // a kind this renderer does not know
}

// --- geometry --------------------------------------------------------------

bool MatrixOk(const cairo_matrix_t& m) {
  for (double v : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0}) {
    if (!(std::fabs(v) <= kMaxMatrixEntry)) return false;
  }
  return true;
}

bool Invertible(const cairo_matrix_t& m) { return std::fabs(m.xx * m.yy - m.xy * m.yx) >= kMinDeterminant; }

PathPoint ToDevice(const cairo_matrix_t& m, PathPoint p) {
  double x = p.x, y = p.y;
  cairo_matrix_transform_point(&m, &x, &y);
  return {std::clamp(x, -kMaxDevice, kMaxDevice), std::clamp(y, -kMaxDevice, kMaxDevice)};
}

// Android's group transform: scale and rotate about the pivot, then move;
// or SVG's matrix.
cairo_matrix_t GroupMatrix(const DrawingGroup& g) {
  cairo_matrix_t m;
  if (g.hasMatrix) {
    cairo_matrix_init(&m, g.matrix[0], g.matrix[1], g.matrix[2], g.matrix[3], g.matrix[4], g.matrix[5]);
    return m;
  }
  cairo_matrix_init_translate(&m, double(g.translateX) + g.pivotX, double(g.translateY) + g.pivotY);
  cairo_matrix_rotate(&m, g.rotation * std::numbers::pi / 180);
  cairo_matrix_scale(&m, g.scaleX, g.scaleY);
  cairo_matrix_translate(&m, -double(g.pivotX), -double(g.pivotY));
  return m;
}

// Replaces cairo's current path with `commands` mapped to the device. The
// path is built under the identity transform, so cairo only ever sees
// clamped device coordinates.
void SetPath(cairo_t* cr, const std::vector<PathCommand>& commands, const cairo_matrix_t& m) {
  cairo_new_path(cr);
  for (const PathCommand& c : commands) {
    const PathPoint to = ToDevice(m, c.to);
    switch (c.op) {
      case PathCommand::Op::MoveTo:
        cairo_move_to(cr, to.x, to.y);
        break;
      case PathCommand::Op::LineTo:
        cairo_line_to(cr, to.x, to.y);
        break;
      case PathCommand::Op::CubicTo: {
        const PathPoint c1 = ToDevice(m, c.c1), c2 = ToDevice(m, c.c2);
        cairo_curve_to(cr, c1.x, c1.y, c2.x, c2.y, to.x, to.y);
        break;
      }
      case PathCommand::Op::Close:
        cairo_close_path(cr);
        break;
    }
  }
}

// A rectangle with elliptic corners (top-left, top-right, bottom-right,
// bottom-left), each a quarter ellipse as one cubic; an oval is the
// rectangle whose corner radii are half its sides.
void SetRoundRect(cairo_t* cr, const Box& b, const std::array<double, 4>& rx, const std::array<double, 4>& ry) {
  constexpr double k = 0.5522847498307936;  // 4/3 (sqrt 2 - 1): a quarter circle's control length
  const double l = b.x, t = b.y, r = b.x + b.width, bottom = b.y + b.height;
  cairo_new_path(cr);
  cairo_move_to(cr, l + rx[0], t);
  cairo_line_to(cr, r - rx[1], t);
  cairo_curve_to(cr, r - rx[1] + k * rx[1], t, r, t + ry[1] - k * ry[1], r, t + ry[1]);
  cairo_line_to(cr, r, bottom - ry[2]);
  cairo_curve_to(cr, r, bottom - ry[2] + k * ry[2], r - rx[2] + k * rx[2], bottom, r - rx[2], bottom);
  cairo_line_to(cr, l + rx[3], bottom);
  cairo_curve_to(cr, l + rx[3] - k * rx[3], bottom, l, bottom - ry[3] + k * ry[3], l, bottom - ry[3]);
  cairo_line_to(cr, l, t + ry[0]);
  cairo_curve_to(cr, l, t + ry[0] - k * ry[0], l + rx[0] - k * rx[0], t, l + rx[0], t);
  cairo_close_path(cr);
}

// The path's bounds in its own space, curves by their extremes (as SVG's
// bounding box takes them).
Box PathBounds(const std::vector<PathCommand>& commands) {
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  auto add = [&](double x, double y) {
    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
  };
  // Where a cubic's coordinate has a turning point, t in (0, 1).
  auto extremes = [&](double a, double b, double c, double d, auto&& at) {
    const double qa = -a + 3 * b - 3 * c + d, qb = 2 * (a - 2 * b + c), qc = b - a;
    if (std::fabs(qa) < 1e-12) {
      if (std::fabs(qb) > 1e-12) at(-qc / qb);
      return;
    }
    const double disc = qb * qb - 4 * qa * qc;
    if (disc < 0) return;
    at((-qb + std::sqrt(disc)) / (2 * qa));
    at((-qb - std::sqrt(disc)) / (2 * qa));
  };
  PathPoint from;
  for (const PathCommand& c : commands) {
    if (c.op == PathCommand::Op::CubicTo) {
      const PathPoint p0 = from;
      auto point = [&](double t) {
        if (!(t > 0 && t < 1)) return;
        const double u = 1 - t;
        add(u * u * u * p0.x + 3 * u * u * t * c.c1.x + 3 * u * t * t * c.c2.x + t * t * t * c.to.x,
            u * u * u * p0.y + 3 * u * u * t * c.c1.y + 3 * u * t * t * c.c2.y + t * t * t * c.to.y);
      };
      extremes(p0.x, c.c1.x, c.c2.x, c.to.x, point);
      extremes(p0.y, c.c1.y, c.c2.y, c.to.y, point);
    }
    add(c.to.x, c.to.y);
    from = c.to;
  }
  if (!(x1 >= x0) || !(y1 >= y0)) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

// Adds the fill outlines of the group's paths and the boxes of its
// pictures, each mapped by its groups' transforms and then m, to the
// extremes x0 y0 x1 y1 (clip paths and effects aside, as SVG's bounding box
// leaves them).
void AddBounds(const DrawingGroup& g, const cairo_matrix_t& m, std::array<double, 4>& e) {
  const auto add = [&](const Box& b) {
    e = {std::min(e[0], b.x), std::min(e[1], b.y), std::max(e[2], b.x + b.width), std::max(e[3], b.y + b.height)};
  };
  for (const DrawingNode& node : g.children) {
    std::vector<PathCommand> placed;
    if (node.kind == DrawingNode::Kind::Group) {
      const cairo_matrix_t local = GroupMatrix(node.group);
      cairo_matrix_t inner;
      cairo_matrix_multiply(&inner, &local, &m);
      AddBounds(node.group, inner, e);
    } else if (node.kind == DrawingNode::Kind::Path) {
      placed = node.path.commands;
    } else if (node.kind == DrawingNode::Kind::Image) {
      const DrawingImage& i = node.image;
      for (const PathPoint p : {PathPoint{i.x, i.y}, PathPoint{i.x + i.width, i.y}, PathPoint{i.x, i.y + i.height},
                                PathPoint{i.x + i.width, i.y + i.height}}) {
        placed.push_back({PathCommand::Op::LineTo, {}, {}, p});
      }
    }
    if (placed.empty()) continue;
    for (PathCommand& c : placed) {
      for (PathPoint* p : {&c.c1, &c.c2, &c.to}) cairo_matrix_transform_point(&m, &p->x, &p->y);
    }
    add(PathBounds(placed));
  }
}

// The group's bounds in its own units; empty when it draws nothing.
Box GroupBounds(const DrawingGroup& g) {
  std::array<double, 4> e = {INFINITY, INFINITY, -INFINITY, -INFINITY};
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  AddBounds(g, identity, e);
  if (!(e[2] >= e[0]) || !(e[3] >= e[1])) return {};
  return {e[0], e[1], e[2] - e[0], e[3] - e[1]};
}

// A mask's or filter's region in the group's units.
Box RegionBox(const DrawingRegion& r, const Box& bounds) {
  if (!r.inBounds) return {r.x, r.y, r.width, r.height};
  return {bounds.x + r.x * bounds.width, bounds.y + r.y * bounds.height, r.width * bounds.width,
          r.height * bounds.height};
}

// The box as the current path, mapped to the device.
void SetBoxPath(cairo_t* cr, const Box& b, const cairo_matrix_t& m) {
  using Op = PathCommand::Op;
  const std::vector<PathCommand> outline = {{Op::MoveTo, {}, {}, {b.x, b.y}},
                                            {Op::LineTo, {}, {}, {b.x + b.width, b.y}},
                                            {Op::LineTo, {}, {}, {b.x + b.width, b.y + b.height}},
                                            {Op::LineTo, {}, {}, {b.x, b.y + b.height}},
                                            {Op::Close, {}, {}, {b.x, b.y}}};
  SetPath(cr, outline, m);
}

// --- trimming --------------------------------------------------------------

struct FlatVertex {
  double x, y;
  bool move;       // starts a contour
  double length;   // along the path up to here, in the path's own units
};

std::vector<FlatVertex> FlattenCurrentPath(cairo_t* cr, const cairo_matrix_t& m) {
  std::vector<FlatVertex> out;
  const PathPtr flat(cairo_copy_path_flat(cr));
  if (!flat || flat->status != CAIRO_STATUS_SUCCESS) return out;
  // Lengths are measured where the path data lives, as Android measures
  // them, so a stretched viewport does not move the trim points.
  cairo_matrix_t inverse = m;
  const bool local = Invertible(m) && cairo_matrix_invert(&inverse) == CAIRO_STATUS_SUCCESS;
  double length = 0, startX = 0, startY = 0;
  auto add = [&](double x, double y, bool move) {
    if (!move && !out.empty()) {
      double dx = x - out.back().x, dy = y - out.back().y;
      if (local) cairo_matrix_transform_distance(&inverse, &dx, &dy);
      length += std::hypot(dx, dy);
    }
    out.push_back({x, y, move, length});
  };
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_type_t type = flat->data[i].header.type;
    if (type == CAIRO_PATH_MOVE_TO) {
      startX = flat->data[i + 1].point.x, startY = flat->data[i + 1].point.y;
      add(startX, startY, true);
    } else if (type == CAIRO_PATH_LINE_TO) {
      add(flat->data[i + 1].point.x, flat->data[i + 1].point.y, false);
    } else if (type == CAIRO_PATH_CLOSE_PATH) {
      add(startX, startY, false);
    }
  }
  return out;
}

// Adds the part of a flattened path between two lengths as open lines.
void AddPathPart(cairo_t* cr, const std::vector<FlatVertex>& v, double from, double to) {
  bool drawing = false;
  for (std::size_t i = 1; i < v.size(); ++i) {
    if (v[i].move) {
      drawing = false;
      continue;
    }
    const double s0 = v[i - 1].length, s1 = v[i].length;
    if (s1 <= from || s0 >= to || s1 <= s0) continue;
    auto at = [&](double s) {
      const double t = (s - s0) / (s1 - s0);
      return PathPoint{v[i - 1].x + (v[i].x - v[i - 1].x) * t, v[i - 1].y + (v[i].y - v[i - 1].y) * t};
    };
    if (!drawing) {
      const PathPoint p = at(std::max(from, s0));
      cairo_move_to(cr, p.x, p.y);
      drawing = true;
    }
    const PathPoint p = at(std::min(to, s1));
    cairo_line_to(cr, p.x, p.y);
  }
}

double Fraction(double v) { return v - std::floor(v); }

// Keeps the part of the current path between trimStart and trimEnd (moved
// on by trimOffset, wrapping past the end to the start) as Android does,
// measured over the whole path's length.
void TrimCurrentPath(cairo_t* cr, const DrawingPath& p, const cairo_matrix_t& m) {
  const std::vector<FlatVertex> flat = FlattenCurrentPath(cr, m);
  cairo_new_path(cr);
  if (p.trimStart == p.trimEnd || flat.empty()) return;
  const double length = flat.back().length;
  const double start = length * Fraction(double(p.trimStart) + p.trimOffset);
  const double end = length * Fraction(double(p.trimEnd) + p.trimOffset);
  if (start > end) {
    AddPathPart(cr, flat, start, length);
    if (end > 0) AddPathPart(cr, flat, 0, end);
  } else {
    AddPathPart(cr, flat, start, end);
  }
}

// --- paint -----------------------------------------------------------------

struct Rgba {
  double r = 0, g = 0, b = 0, a = 0;
};

Rgba FromArgb(std::uint32_t argb, double alpha = 1) {
  return {((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
          (argb >> 24) / 255.0 * std::clamp(alpha, 0.0, 1.0)};
}

// Offsets clamped to 0..1 and made ascending, as Android's gradients take them.
std::vector<GradientStop> NormalisedStops(const std::vector<GradientStop>& stops) {
  std::vector<GradientStop> out = stops;
  float floor = 0;
  for (GradientStop& s : out) {
    s.offset = std::clamp(s.offset, floor, 1.0f);
    floor = s.offset;
  }
  return out;
}

void AddStops(cairo_pattern_t* pattern, const std::vector<GradientStop>& stops, double alpha) {
  for (const GradientStop& s : NormalisedStops(stops)) {
    const Rgba c = FromArgb(s.argb, alpha);
    cairo_pattern_add_color_stop_rgba(pattern, s.offset, c.r, c.g, c.b, c.a);
  }
}

// The colour at t in 0..1, interpolated between straight-alpha stops (as
// Android's gradients interpolate), premultiplied for cairo.
std::uint32_t PremultipliedAt(const std::vector<GradientStop>& stops, double t, double alpha) {
  std::size_t i = 0;
  while (i + 1 < stops.size() && stops[i + 1].offset <= t) ++i;
  Rgba c = FromArgb(stops[i].argb, alpha);
  if (i + 1 < stops.size() && t > stops[i].offset) {
    const Rgba n = FromArgb(stops[i + 1].argb, alpha);
    const double f = (t - stops[i].offset) / (stops[i + 1].offset - stops[i].offset);
    c = {c.r + (n.r - c.r) * f, c.g + (n.g - c.g) * f, c.b + (n.b - c.b) * f, c.a + (n.a - c.a) * f};
  }
  auto byte = [](double v) { return std::uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return byte(c.a) << 24 | byte(c.r * c.a) << 16 | byte(c.g * c.a) << 8 | byte(c.b * c.a);
}

// cairo has no sweep (conic) gradient, so its colours are worked out per
// pixel over `area` (device pixels) into an image cairo then paints from.
// `toGradient` maps device pixels into the gradient's space, where the
// sweep starts along +x and turns towards +y (clockwise on screen).
PatternPtr SweepPattern(const std::vector<GradientStop>& stops, double alpha, const cairo_matrix_t& toGradient,
                        double cx, double cy, const Box& area) {
  const int width = int(area.width), height = int(area.height);
  if (width <= 0 || height <= 0) return nullptr;
  std::vector<std::uint32_t> table(kSweepTableSize);
  const std::vector<GradientStop> normalised = NormalisedStops(stops);
  for (int i = 0; i < kSweepTableSize; ++i) table[i] = PremultipliedAt(normalised, (i + 0.5) / kSweepTableSize, alpha);
  SurfacePtr image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(image.get());
  unsigned char* data = cairo_image_surface_get_data(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double gx = area.x + x + 0.5, gy = area.y + y + 0.5;
      cairo_matrix_transform_point(&toGradient, &gx, &gy);
      const double turn = Fraction(std::atan2(gy - cy, gx - cx) / (2 * std::numbers::pi));
      const int index = std::clamp(int(turn * kSweepTableSize), 0, kSweepTableSize - 1);
      std::memcpy(data + std::size_t(y) * stride + std::size_t(x) * 4, &table[index], 4);
    }
  }
  cairo_surface_mark_dirty(image.get());
  PatternPtr pattern(cairo_pattern_create_for_surface(image.get()));
  cairo_matrix_t offset;
  cairo_matrix_init_translate(&offset, -area.x, -area.y);
  cairo_pattern_set_matrix(pattern.get(), &offset);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  return pattern;
}

// The device pixels a paint can reach: the clip's bounds (the vector's box,
// narrowed by its clip paths), within the canvas.
Box PaintArea(cairo_t* cr) {
  double x0, y0, x1, y1;
  cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
  x0 = std::floor(std::max(x0, 0.0)), y0 = std::floor(std::max(y0, 0.0));
  x1 = std::ceil(std::min(x1, kMaxDevice)), y1 = std::ceil(std::min(y1, kMaxDevice));
  return {x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0)};
}

cairo_extend_t Extend(DrawingGradient::Tile tile) {
  switch (tile) {
    case DrawingGradient::Tile::Repeat: return CAIRO_EXTEND_REPEAT;
    case DrawingGradient::Tile::Mirror: return CAIRO_EXTEND_REFLECT;
    case DrawingGradient::Tile::Clamp: break;
  }
  return CAIRO_EXTEND_PAD;
}

double GradientCoordinate(float v) { return std::clamp(double(v), -kMaxGradientCoordinate, kMaxGradientCoordinate); }

// A vector gradient in the path's own space, as a device-space pattern.
// sweepPixels: what is left of the icon's budget for pixels worked out one
// by one (kMaxSweepCanvases); a sweep beyond it gives no pattern and sets it
// below zero.
PatternPtr VectorGradientPattern(cairo_t* cr, const DrawingGradient& g, double alpha, const cairo_matrix_t& m,
                                 const Box& bounds, double& sweepPixels) {
  // From the gradient's own space to the device: its transform, then the
  // path's bounds for bounding-box units, then the path's transform.
  cairo_matrix_t own, box, inPath, toGradient;
  cairo_matrix_init(&own, g.transform[0], g.transform[1], g.transform[2], g.transform[3], g.transform[4], g.transform[5]);
  cairo_matrix_init_identity(&box);
  if (g.boundingBoxUnits) {
    // A path without area has no bounds to measure a gradient by: SVG
    // paints nothing then.
    if (!(bounds.width > 0) || !(bounds.height > 0)) return nullptr;
    cairo_matrix_init(&box, bounds.width, 0, 0, bounds.height, bounds.x, bounds.y);
  }
  cairo_matrix_multiply(&inPath, &own, &box);
  cairo_matrix_multiply(&toGradient, &inPath, &m);
  if (!MatrixOk(toGradient) || !Invertible(toGradient) || cairo_matrix_invert(&toGradient) != CAIRO_STATUS_SUCCESS) {
    return nullptr;
  }
  const double cx = GradientCoordinate(g.centerX), cy = GradientCoordinate(g.centerY);
  PatternPtr pattern;
  switch (g.type) {
    case DrawingGradient::Type::Linear:
      pattern.reset(cairo_pattern_create_linear(GradientCoordinate(g.startX), GradientCoordinate(g.startY),
                                                GradientCoordinate(g.endX), GradientCoordinate(g.endY)));
      break;
    case DrawingGradient::Type::Radial: {
      const double fx = g.hasFocus ? GradientCoordinate(g.focusX) : cx, fy = g.hasFocus ? GradientCoordinate(g.focusY) : cy;
      pattern.reset(cairo_pattern_create_radial(fx, fy, 0, cx, cy, GradientCoordinate(g.radius)));
      break;
    }
    case DrawingGradient::Type::Sweep: {
      const Box area = PaintArea(cr);
      sweepPixels -= std::max(area.width, 0.0) * std::max(area.height, 0.0);
      return sweepPixels < 0 ? nullptr : SweepPattern(g.stops, alpha, toGradient, cx, cy, area);
    }
  }
  AddStops(pattern.get(), g.stops, alpha);
  cairo_pattern_set_extend(pattern.get(), Extend(g.tile));
  cairo_pattern_set_matrix(pattern.get(), &toGradient);
  return pattern;
}

// Sets the source for a fill or stroke; false when there is nothing to paint.
bool SetPaint(cairo_t* cr, const DrawingPaint& paint, double alpha, const cairo_matrix_t& m, const Box& bounds,
              double& sweepPixels) {
  if (paint.kind == DrawingPaint::Kind::Solid) {
    const Rgba c = FromArgb(paint.argb, alpha);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    return c.a > 0;
  }
  if (paint.kind != DrawingPaint::Kind::Gradient) return false;
  const PatternPtr pattern = VectorGradientPattern(cr, paint.gradient, alpha, m, bounds, sweepPixels);
  if (!pattern) return false;
  cairo_set_source(cr, pattern.get());
  return true;
}

// A straight-alpha picture as a premultiplied cairo image.
SurfacePtr PremultipliedSurface(const RgbaImage& image) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* px = &image.pixels[(std::size_t(y) * image.width + x) * 4];
      const std::uint32_t a = px[3];
      auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
      const std::uint32_t value = a << 24 | pre(px[0]) << 16 | pre(px[1]) << 8 | pre(px[2]);
      std::memcpy(data + std::size_t(y) * stride + std::size_t(x) * 4, &value, 4);
    }
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

// --- vector drawables ------------------------------------------------------

struct Painter {
  cairo_t* cr;
  double pixelsPerDp = 4;  // 4: a launcher on an extra-extra-extra high density screen
  double side = 0;         // the canvas, pixels a side
  // What cairo's filling and stroking cost grows with, left for the whole
  // icon (see kMaxFillEdges).
  double fillEdges = kMaxFillEdges, strokeWork = kMaxStrokeWork;
  double sweepPixels = 0;  // kMaxSweepCanvases canvases
  double effectPixels = 0;  // kMaxEffectCanvases canvases
  bool ok = true;  // false once something could not be drawn: no picture then
  Pacer* pacer = nullptr;  // asked whether to go on: a step a node, one per 16 commands, one per 1024 filtered pixels
};

cairo_line_cap_t Cap(DrawingPath::Cap cap) {
  switch (cap) {
    case DrawingPath::Cap::Round: return CAIRO_LINE_CAP_ROUND;
    case DrawingPath::Cap::Square: return CAIRO_LINE_CAP_SQUARE;
    case DrawingPath::Cap::Butt: break;
  }
  return CAIRO_LINE_CAP_BUTT;
}

cairo_line_join_t Join(DrawingPath::Join join) {
  switch (join) {
    case DrawingPath::Join::Round: return CAIRO_LINE_JOIN_ROUND;
    case DrawingPath::Join::Bevel: return CAIRO_LINE_JOIN_BEVEL;
    case DrawingPath::Join::Miter: break;
  }
  return CAIRO_LINE_JOIN_MITER;
}

// The stroke is drawn under the path's transform, so its width scales with
// the path as Android scales it (a stretched viewport stretches the pen).
// Width 0 is Skia's hairline: one device pixel.
void StrokeCurrentPath(cairo_t* cr, const DrawingPath& p, const cairo_matrix_t& m) {
  cairo_save(cr);
  double width = p.strokeWidth;
  if (width > 0) {
    cairo_set_matrix(cr, &m);
    // A pen wider than the clamped plane covers all of it anyway.
    const double spread = std::hypot(m.xx, m.yx) + std::hypot(m.xy, m.yy);
    width = std::min(width, 4 * kMaxDevice / spread);
  } else {
    width = 1;
  }
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, Cap(p.cap));
  cairo_set_line_join(cr, Join(p.join));
  cairo_set_miter_limit(cr, std::clamp(double(p.strokeMiterLimit), 1.0, 1000.0));
  if (!p.dashes.empty()) {
    // Dash lengths are in the path's units, as the pen is (the matrix above).
    std::vector<double> dashes(p.dashes.begin(), p.dashes.end());
    cairo_set_dash(cr, dashes.data(), int(dashes.size()), p.dashOffset);
  }
  cairo_stroke_preserve(cr);
  cairo_restore(cr);
}

// About how many edges cairo flattens the current path into, worked out
// from the path itself: a line or a close is one, and a cubic Wang's
// bound, the square root of 3/4 of its control polygon's larger bend over
// the tolerance.
double EstimatedFlatEdges(cairo_t* cr) {
  const PathPtr path(cairo_copy_path(cr));
  if (!path || path->status != CAIRO_STATUS_SUCCESS) return INFINITY;
  double edges = 0, x = 0, y = 0;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t* d = &path->data[i];
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO: x = d[1].point.x, y = d[1].point.y; break;
      case CAIRO_PATH_LINE_TO: x = d[1].point.x, y = d[1].point.y, ++edges; break;
      case CAIRO_PATH_CURVE_TO: {
        const double bend = std::max(std::hypot(x - 2 * d[1].point.x + d[2].point.x, y - 2 * d[1].point.y + d[2].point.y),
                                     std::hypot(d[1].point.x - 2 * d[2].point.x + d[3].point.x,
                                                d[1].point.y - 2 * d[2].point.y + d[3].point.y));
        edges += std::max(1.0, std::ceil(std::sqrt(0.75 * bend / kFlatTolerance)));
        x = d[3].point.x, y = d[3].point.y;
        break;
      }
      case CAIRO_PATH_CLOSE_PATH: ++edges; break;
    }
  }
  return edges;
}

// Whether flattening the current path stays near `most` edges: false when
// its estimate is far beyond, so it is never flattened.
bool FlatteningAffordable(cairo_t* cr, double most) {
  return EstimatedFlatEdges(cr) <= kFlatEstimateSlack * std::max(most, 0.0) + 64;
}

// The edges of the current path once its curves are flattened, as cairo
// fills and strokes it; infinite when there are surely more than `most`
// (the path is not flattened then) or cairo cannot flatten it.
double FlatEdges(cairo_t* cr, double most) {
  if (!FlatteningAffordable(cr, most)) return INFINITY;
  const PathPtr flat(cairo_copy_path_flat(cr));
  if (!flat || flat->status != CAIRO_STATUS_SUCCESS) return INFINITY;
  double edges = 0;
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_type_t type = flat->data[i].header.type;
    edges += type == CAIRO_PATH_LINE_TO || type == CAIRO_PATH_CLOSE_PATH;
  }
  return edges;
}

// Charges the current path's filling (or clipping) to the icon's budget;
// false once it is spent.
bool ChargeFill(Painter& p) {
  p.fillEdges -= FlatEdges(p.cr, p.fillEdges);
  return p.fillEdges >= 0;
}

// Stroking costs with the number of edges and, far more, with the pen's
// width against the canvas: wide pens over many crossing edges make cairo
// work on every overlap.
bool ChargeStroke(Painter& p, const DrawingPath& path, const cairo_matrix_t& m) {
  const double scale = std::sqrt(std::abs(m.xx * m.yy - m.xy * m.yx));
  const double width = path.strokeWidth > 0 ? std::min(path.strokeWidth * scale, 4 * kMaxDevice) : 1;
  double edges = FlatEdges(p.cr, p.strokeWork);
  if (!path.dashes.empty() && std::isfinite(edges)) {
    // Every dash is a piece of its own: as many as the path's length holds.
    double period = 0;
    for (float d : path.dashes) period += d;
    const std::vector<FlatVertex> flat = FlattenCurrentPath(p.cr, m);
    const double length = flat.empty() ? 0 : flat.back().length;
    if (period > 0) edges += length / period * double(path.dashes.size());
  }
  p.strokeWork -= edges * (1 + kStrokeWidthWeight * width / p.side);
  return p.strokeWork >= 0;
}

void DrawPath(Painter& p, const DrawingPath& path, const cairo_matrix_t& m) {
  if (!Invertible(m)) return;  // a collapsed transform leaves nothing to see
  cairo_t* cr = p.cr;
  SetPath(cr, path.commands, m);
  if (path.trimStart != 0 || path.trimEnd != 1) {
    // Trimming flattens the whole path first.
    if (!FlatteningAffordable(cr, std::max(p.fillEdges, p.strokeWork))) {
      p.ok = false;
      cairo_new_path(cr);
      return;
    }
    TrimCurrentPath(cr, path, m);
  }
  cairo_set_fill_rule(cr, path.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  const Box bounds = PathBounds(path.commands);
  const bool fill = SetPaint(cr, path.fill, path.fillAlpha, m, bounds, p.sweepPixels);
  if (fill && !ChargeFill(p)) p.ok = false;
  if (p.ok && fill) cairo_fill_preserve(cr);
  const bool stroke = p.ok && SetPaint(cr, path.stroke, path.strokeAlpha, m, bounds, p.sweepPixels);
  if (stroke && !ChargeStroke(p, path, m)) p.ok = false;
  if (p.ok && stroke) StrokeCurrentPath(cr, path, m);
  if (p.sweepPixels < 0) p.ok = false;
  cairo_new_path(cr);
}

// A clip path narrows the clip for the group's later children only: the
// group's save and restore end it.
void ClipToPath(Painter& p, const DrawingPath& path, const cairo_matrix_t& m) {
  SetPath(p.cr, path.commands, m);
  if (!ChargeFill(p)) {
    p.ok = false;
    return;
  }
  cairo_set_fill_rule(p.cr, path.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_clip(p.cr);
}

// A picture over its box, smoothly scaled, its edge pixels repeated up to
// the box's edges.
void DrawImage(Painter& p, const DrawingImage& image, const cairo_matrix_t& m) {
  if (!Invertible(m) || !(image.width > 0) || !(image.height > 0)) return;
  const SurfacePtr surface = PremultipliedSurface(*image.pixels);
  if (!surface) {
    p.ok = false;
    return;
  }
  cairo_matrix_t place, toPicture;
  cairo_matrix_init(&place, image.width / image.pixels->width, 0, 0, image.height / image.pixels->height, image.x, image.y);
  cairo_matrix_multiply(&toPicture, &place, &m);
  if (!MatrixOk(toPicture) || !Invertible(toPicture) || cairo_matrix_invert(&toPicture) != CAIRO_STATUS_SUCCESS) return;
  const PatternPtr pattern(cairo_pattern_create_for_surface(surface.get()));
  cairo_pattern_set_matrix(pattern.get(), &toPicture);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  cairo_set_source(p.cr, pattern.get());
  SetBoxPath(p.cr, {image.x, image.y, image.width, image.height}, m);
  cairo_fill(p.cr);
}

void DrawGroup(Painter& p, const DrawingGroup& group, const cairo_matrix_t& parent);

void DrawChildren(Painter& p, const DrawingGroup& group, const cairo_matrix_t& m) {
  for (const DrawingNode& node : group.children) {
    if (p.ok && !p.pacer->step(1 + node.path.commands.size() / 16)) p.ok = false;
    if (!p.ok) break;
    switch (node.kind) {
      case DrawingNode::Kind::Group: DrawGroup(p, node.group, m); break;
      case DrawingNode::Kind::Path: DrawPath(p, node.path, m); break;
      case DrawingNode::Kind::ClipPath: ClipToPath(p, node.path, m); break;
      case DrawingNode::Kind::Image: DrawImage(p, node.image, m); break;
    }
  }
}

// Takes a picture's pixels from the icon's budget for masks and filters.
bool ChargeEffect(Painter& p, double pixels) {
  p.effectPixels -= pixels;
  if (p.effectPixels < 0) p.ok = false;
  return p.ok;
}

// The group's children drawn on a picture of the filter's region (the
// whole pixels its box on the device touches, within the canvas; no clip
// applies there), put through the filter, and the result laid down.
void DrawFiltered(Painter& p, const DrawingGroup& group, const cairo_matrix_t& m, const Box& bounds) {
  const Box region = RegionBox(group.filter->region, bounds);
  if (!(region.width > 0) || !(region.height > 0) || group.filter->steps.empty()) return;  // nothing shown
  double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (PathPoint corner : {PathPoint{region.x, region.y}, PathPoint{region.x + region.width, region.y},
                           PathPoint{region.x, region.y + region.height},
                           PathPoint{region.x + region.width, region.y + region.height}}) {
    corner = ToDevice(m, corner);
    x0 = std::min(x0, corner.x), y0 = std::min(y0, corner.y), x1 = std::max(x1, corner.x), y1 = std::max(y1, corner.y);
  }
  x0 = std::max(std::floor(x0), 0.0), y0 = std::max(std::floor(y0), 0.0);
  x1 = std::min(std::ceil(x1), p.side), y1 = std::min(std::ceil(y1), p.side);
  if (!(x1 > x0) || !(y1 > y0) || !ChargeEffect(p, (x1 - x0) * (y1 - y0))) return;
  const SurfacePtr source = NewPicture(int(x1 - x0), int(y1 - y0));
  if (!source) {
    p.ok = false;
    return;
  }
  cairo_surface_set_device_offset(source.get(), -x0, -y0);
  {
    const CairoPtr cr(cairo_create(source.get()));
    cairo_t* const parent = p.cr;
    p.cr = cr.get();
    DrawChildren(p, group, m);
    p.cr = parent;
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) p.ok = false;
  }
  if (!p.ok) return;
  cairo_surface_set_device_offset(source.get(), 0, 0);
  const SurfacePtr result = RunFilter(*group.filter, source.get(), m, p.effectPixels, *p.pacer);
  if (!result) {
    p.ok = false;
    return;
  }
  cairo_set_source_surface(p.cr, result.get(), x0, y0);
  cairo_paint(p.cr);
}

// The mask's coverage times opacity, on a picture of the clip's extents:
// its content drawn inside its region, where no other clip applies.
PatternPtr MaskPattern(Painter& p, const DrawingMask& mask, const cairo_matrix_t& m, const Box& bounds, double opacity) {
  cairo_push_group(p.cr);
  cairo_reset_clip(p.cr);
  const Box region = RegionBox(mask.region, bounds);
  cairo_matrix_t content = m;
  if (mask.contentInBounds) {
    cairo_matrix_t box;
    cairo_matrix_init(&box, bounds.width, 0, 0, bounds.height, bounds.x, bounds.y);
    cairo_matrix_multiply(&content, &box, &m);
  }
  if (region.width > 0 && region.height > 0 && (!mask.contentInBounds || (bounds.width > 0 && bounds.height > 0))) {
    SetBoxPath(p.cr, region, m);
    cairo_clip(p.cr);
    DrawGroup(p, mask.content, content);
  }
  PatternPtr pattern(cairo_pop_group(p.cr));
  cairo_surface_t* picture = nullptr;
  if (cairo_pattern_get_surface(pattern.get(), &picture) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_get_type(picture) != CAIRO_SURFACE_TYPE_IMAGE) {
    return nullptr;
  }
  MaskCoverage(picture, mask.luminance, opacity);
  return pattern;
}

// A group with a filter or a mask is drawn apart, as a translucent group
// is, on a picture of the clip's extents; filtered, then laid down through
// its mask at its opacity.
void DrawApart(Painter& p, const DrawingGroup& group, const cairo_matrix_t& m) {
  const Box area = PaintArea(p.cr);
  if (!ChargeEffect(p, area.width * area.height * (group.mask ? 2 : 1))) return;
  const Box bounds = GroupBounds(group);
  cairo_push_group(p.cr);
  if (group.filter) DrawFiltered(p, group, m, bounds);
  else DrawChildren(p, group, m);
  const PatternPtr content(cairo_pop_group(p.cr));
  if (!p.ok) return;
  const double opacity = std::clamp(double(group.opacity), 0.0, 1.0);
  const PatternPtr coverage = group.mask ? MaskPattern(p, *group.mask, m, bounds, opacity) : nullptr;
  if (group.mask && (!coverage || !p.ok)) {
    p.ok = false;
    return;
  }
  cairo_set_source(p.cr, content.get());
  if (coverage) cairo_mask(p.cr, coverage.get());
  else cairo_paint_with_alpha(p.cr, opacity);
}

void DrawGroup(Painter& p, const DrawingGroup& group, const cairo_matrix_t& parent) {
  const cairo_matrix_t local = GroupMatrix(group);
  cairo_matrix_t m;
  cairo_matrix_multiply(&m, &local, &parent);
  if (!MatrixOk(m)) {
    p.ok = false;
    return;
  }
  cairo_save(p.cr);
  if (group.filter || group.mask) {
    DrawApart(p, group, m);
    cairo_restore(p.cr);
    return;
  }
  // A translucent group is drawn whole, then laid down at its opacity.
  const bool translucent = group.opacity < 1;
  if (translucent) cairo_push_group(p.cr);
  DrawChildren(p, group, m);
  if (translucent) {
    // The group's own clip paths ended with it; the clip it began in stays.
    cairo_pop_group_to_source(p.cr);
    cairo_paint_with_alpha(p.cr, std::clamp(double(group.opacity), 0.0, 1.0));
  }
  cairo_restore(p.cr);
}

// Draws the drawable's viewport stretched over `box`. Android draws a
// vector into a bitmap of the box's size, so nothing reaches outside it,
// and the drawable's alpha applies to that bitmap as a whole.
void DrawVector(Painter& p, const Drawing& v, const Box& box) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, box.width / v.viewportWidth, 0, 0, box.height / v.viewportHeight, box.x, box.y);
  if (!MatrixOk(m)) {
    p.ok = false;
    return;
  }
  cairo_t* cr = p.cr;
  cairo_save(cr);
  cairo_rectangle(cr, box.x, box.y, box.width, box.height);
  cairo_clip(cr);
  cairo_push_group(cr);
  DrawGroup(p, v.root, m);
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, std::clamp(double(v.alpha), 0.0, 1.0));
  cairo_restore(cr);
}

// --- adaptive icon layers --------------------------------------------------

// Android's linear shape gradient runs along one of eight directions, from
// edge or corner to edge or corner of the bounds; an angle that is not a
// multiple of 45 degrees keeps the default, top to bottom.
struct LinearDirection {
  int angle;
  double x0, y0, x1, y1;  // fractions of the bounds
};
constexpr LinearDirection kLinearDirections[] = {
    {0, 0, 0, 1, 0},   {45, 0, 1, 1, 0},  {90, 0, 1, 0, 0},  {135, 1, 1, 0, 0},
    {180, 1, 0, 0, 0}, {225, 1, 0, 0, 1}, {270, 0, 0, 0, 1}, {315, 0, 0, 1, 1},
};

LinearDirection ShapeLinearDirection(float angle) {
  // Android reads the angle as a whole number of degrees.
  const int degrees = ((int(std::clamp(angle, -1e6f, 1e6f)) % 360) + 360) % 360;
  for (const LinearDirection& d : kLinearDirections) {
    if (d.angle == degrees) return d;
  }
  return kLinearDirections[6];
}

PatternPtr ShapeGradientPattern(cairo_t* cr, const ShapeGradient& g, const Box& b, double pixelsPerDp) {
  const double cx = b.x + b.width * std::clamp(double(g.centerX), -1e3, 1e3);
  const double cy = b.y + b.height * std::clamp(double(g.centerY), -1e3, 1e3);
  PatternPtr pattern;
  switch (g.type) {
    case ShapeGradient::Type::Linear: {
      const LinearDirection d = ShapeLinearDirection(g.angle);
      pattern.reset(cairo_pattern_create_linear(b.x + d.x0 * b.width, b.y + d.y0 * b.height, b.x + d.x1 * b.width,
                                                b.y + d.y1 * b.height));
      break;
    }
    case ShapeGradient::Type::Radial: {
      double radius = g.radiusIsFraction ? g.radius * std::min(b.width, b.height) : g.radius * pixelsPerDp;
      // Android draws a radius of zero or less as a tiny one.
      radius = std::clamp(radius, 0.001, kMaxDevice);
      pattern.reset(cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius));
      break;
    }
    case ShapeGradient::Type::Sweep: {
      cairo_matrix_t identity;
      cairo_matrix_init_identity(&identity);
      return SweepPattern(g.stops, 1, identity, cx, cy, PaintArea(cr));
    }
  }
  AddStops(pattern.get(), g.stops, 1);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  return pattern;
}

void DrawShape(Painter& p, const ShapeDrawable& s, const Box& b) {
  if (b.width <= 0 || b.height <= 0) return;
  std::array<double, 4> rx{}, ry{};
  if (s.shape == ShapeDrawable::Shape::Oval) {
    rx.fill(b.width / 2);
    ry.fill(b.height / 2);
  } else {
    for (int i = 0; i < 4; ++i) rx[i] = std::clamp(s.cornerRadii[i] * p.pixelsPerDp, 0.0, kMaxDevice);
    // Radii that do not fit their sides all shrink by the same factor.
    const double scale = std::min({1.0, b.width / std::max(rx[0] + rx[1], 1e-9), b.width / std::max(rx[2] + rx[3], 1e-9),
                                   b.height / std::max(rx[0] + rx[3], 1e-9), b.height / std::max(rx[1] + rx[2], 1e-9)});
    for (double& r : rx) r *= scale;
    ry = rx;
  }
  cairo_t* cr = p.cr;
  SetRoundRect(cr, b, rx, ry);
  if (s.hasSolid) {
    const Rgba c = FromArgb(s.solidArgb);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    cairo_fill_preserve(cr);
  }
  if (s.hasGradient) {
    const PatternPtr pattern = ShapeGradientPattern(cr, s.gradient, b, p.pixelsPerDp);
    if (pattern) {
      cairo_set_source(cr, pattern.get());
      cairo_fill_preserve(cr);
    }
  }
  cairo_new_path(cr);
}

void DrawBitmap(Painter& p, const RgbaImage& image, const Box& b) {
  if (b.width <= 0 || b.height <= 0) return;
  const SurfacePtr surface = PremultipliedSurface(image);
  if (!surface) {
    p.ok = false;
    return;
  }
  const PatternPtr pattern(cairo_pattern_create_for_surface(surface.get()));
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, image.width / b.width, image.height / b.height);
  cairo_matrix_translate(&m, -b.x, -b.y);
  cairo_pattern_set_matrix(pattern.get(), &m);
  // Smooth scaling either way, and the edge pixels repeated rather than
  // faded into transparency at the bounds.
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
  cairo_set_source(p.cr, pattern.get());
  cairo_rectangle(p.cr, b.x, b.y, b.width, b.height);
  cairo_fill(p.cr);
}

double InsetPixels(float inset, bool fraction, double side, double pixelsPerDp) {
  const double pixels = fraction ? inset * side : inset * pixelsPerDp;
  return std::clamp(pixels, -kMaxDevice, kMaxDevice);
}

void DrawLayer(Painter& p, const LayerDrawable& layer, const Box& b) {
  switch (layer.kind) {
    case LayerDrawable::Kind::Color: {
      const Rgba c = FromArgb(layer.argb);
      cairo_set_source_rgba(p.cr, c.r, c.g, c.b, c.a);
      cairo_rectangle(p.cr, b.x, b.y, b.width, b.height);
      cairo_fill(p.cr);
      return;
    }
    case LayerDrawable::Kind::Bitmap: DrawBitmap(p, layer.bitmap, b); return;
    case LayerDrawable::Kind::Vector: DrawVector(p, layer.vector, b); return;
    case LayerDrawable::Kind::Shape: DrawShape(p, layer.shape, b); return;
    case LayerDrawable::Kind::Inset: {
      const double left = InsetPixels(layer.insets[0], layer.insetIsFraction[0], b.width, p.pixelsPerDp);
      const double top = InsetPixels(layer.insets[1], layer.insetIsFraction[1], b.height, p.pixelsPerDp);
      const double right = InsetPixels(layer.insets[2], layer.insetIsFraction[2], b.width, p.pixelsPerDp);
      const double bottom = InsetPixels(layer.insets[3], layer.insetIsFraction[3], b.height, p.pixelsPerDp);
      const Box inner{b.x + left, b.y + top, b.width - left - right, b.height - top - bottom};
      // Insets that leave no room draw nothing, as on Android.
      if (inner.width > 0 && inner.height > 0) DrawLayer(p, *layer.inner, inner);
      return;
    }
  }
  p.ok = false;
}

// --- canvas ----------------------------------------------------------------

// cairo prepares its locks at first use. On Windows, linked statically,
// nothing guards that first use against a second thread, so it happens
// once here under the guard of a C++ static.
void PrepareCairo() {
  static const bool ready = [] {
    const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
    const CairoPtr cr(cairo_create(surface.get()));
    cairo_paint(cr.get());
    return true;
  }();
  (void)ready;
}

// cairo's pixels are premultiplied 32-bit words in the machine's byte
// order; ours are straight R, G, B, A bytes.
RgbaImage StraightRgba(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  RgbaImage image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  image.pixels.resize(std::size_t(image.width) * image.height * 4);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      std::uint32_t value;
      std::memcpy(&value, data + std::size_t(y) * stride + std::size_t(x) * 4, 4);
      std::uint8_t* out = &image.pixels[(std::size_t(y) * image.width + x) * 4];
      const std::uint32_t a = value >> 24;
      const std::uint32_t rgb[3] = {(value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF};
      for (int c = 0; c < 3; ++c) out[c] = a == 0 ? 0 : std::uint8_t(std::min(255u, (rgb[c] * 255 + a / 2) / a));
      out[3] = std::uint8_t(a);
    }
  }
  return image;
}

// Runs `draw` on a transparent square canvas; the picture only if all of
// it could be drawn.
template <typename Draw>
RgbaImage DrawOnCanvas(int side, double pixelsPerDp, Draw draw, const std::function<bool()>& keepGoing = {}) {
  PrepareCairo();
  const SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side));
  const CairoPtr cr(cairo_create(surface.get()));
  Pacer pacer(keepGoing);
  Painter painter{cr.get(), pixelsPerDp, double(side)};
  painter.pacer = &pacer;
  painter.sweepPixels = kMaxSweepCanvases * double(side) * side;
  painter.effectPixels = kMaxEffectCanvases * double(side) * side;
  draw(painter);
  if (!painter.ok || cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return {};
  return StraightRgba(surface.get());
}

}  // namespace

RgbaImage RenderVectorIcon(const Drawing& drawable, int side, const std::function<bool()>& keepGoing) {
  Allowance left;
  if (side < kMinDrawnSide || side > kMaxDrawnSide) return {};
  if (!VectorOk(drawable, 0, left) || !(drawable.widthDp > 0) || !(drawable.heightDp > 0)) return {};
  const double longer = std::max(drawable.widthDp, drawable.heightDp);
  const double width = side * (drawable.widthDp / longer);
  const double height = side * (drawable.heightDp / longer);
  const Box box{(side - width) / 2, (side - height) / 2, width, height};
  // A 48 dp launcher icon fills the canvas.
  return DrawOnCanvas(side, side / 48.0, [&](Painter& p) { DrawVector(p, drawable, box); }, keepGoing);
}

RgbaImage RenderAdaptiveIcon(const AdaptiveIcon& icon, int side) {
  if (side < kMinDrawnSide || side > kMaxDrawnSide) return {};
  Allowance left;
  if (!LayerOk(icon.background, 0, left) || !LayerOk(icon.foreground, 0, left)) return {};
  std::size_t maskBudget = kMaxPathCommands;
  const auto mask = ParsePathData(kIconMask, maskBudget);
  if (!mask) return {};
  const double pixelsPerDp = side / kAdaptiveShownDp;
  return DrawOnCanvas(side, pixelsPerDp, [&](Painter& p) {
    // The canvas is the shown part; the layers reach a margin beyond it.
    const double margin = (kAdaptiveLayerDp - kAdaptiveShownDp) / 2 * pixelsPerDp;
    const Box layers{-margin, -margin, kAdaptiveLayerDp * pixelsPerDp, kAdaptiveLayerDp * pixelsPerDp};
    cairo_push_group(p.cr);
    DrawLayer(p, icon.background, layers);
    if (p.ok) DrawLayer(p, icon.foreground, layers);
    cairo_pop_group_to_source(p.cr);
    cairo_matrix_t toCanvas;
    cairo_matrix_init_scale(&toCanvas, side / kMaskUnits, side / kMaskUnits);
    SetPath(p.cr, *mask, toCanvas);
    cairo_set_fill_rule(p.cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(p.cr);
  });
}

RgbaImage RenderAndroidIcon(const AndroidIconDrawing& drawing, int side) {
  switch (drawing.kind) {
    case AndroidIconDrawing::Kind::Vector: return RenderVectorIcon(drawing.vector, side ? side : kVectorIconPixels);
    case AndroidIconDrawing::Kind::Adaptive: return RenderAdaptiveIcon(drawing.adaptive, side ? side : kAdaptiveIconPixels);
    case AndroidIconDrawing::Kind::None: break;
  }
  return {};
}
