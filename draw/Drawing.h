#pragma once
// The drawing model: what the readers make of a drawn icon and the one
// renderer (draw/DrawableRender) turns into pixels. Android's drawable text
// (android/AndroidDrawableText) and SVG documents (draw/SvgDocument) are
// read into it. A Drawing is a tree of groups and paths over a viewport;
// a path is a list of absolute commands (draw/Path.h), parsed or built once
// by its reader.
// Android's adaptive icons add layers around drawings: colours, bitmaps,
// shapes and insets. SVG uses the few parts Android has no use for: full
// affine transforms, group opacity, dashes, and gradients in bounding-box
// units or with a transform of their own. Every value here is finite;
// colours are 0xAARRGGBB.
#include <cstdint>
#include <memory>
#include <vector>

#include "draw/Path.h"
#include "image/RgbaImage.h"

// Drawing limits: a drawing beyond any of them gives no picture.
inline constexpr int kMaxDrawablePaths = 1000;            // path and clip-path elements in one icon
inline constexpr std::size_t kMaxPathCommands = 100000;   // path commands in one icon
inline constexpr int kMaxDrawableDepth = 16;              // nested groups and wrapper drawables
// What cairo's work grows with, so that the costliest drawing accepted draws
// in well under a second: edges filled or clipped (curves flattened), and
// edges stroked, each weighted by 1 + kStrokeWidthWeight x the pen's width
// as a share of the canvas side (a pen as wide as the canvas weighs 51).
inline constexpr double kMaxFillEdges = 20000;
inline constexpr double kMaxStrokeWork = 12000;
inline constexpr double kStrokeWidthWeight = 50;
// Sweep gradients are worked out pixel by pixel over what they paint: at
// most this many canvases' worth in one icon.
inline constexpr double kMaxSweepCanvases = 64;
// Masks and filters draw apart, on pictures of their own that are then
// worked pixel by pixel: at most this many canvases' worth of pixels made
// and worked in one icon (a blur counts each direction), and masks and
// filters within the content of others at most this deep.
inline constexpr double kMaxEffectCanvases = 24;
inline constexpr int kMaxEffectDepth = 4;
// Steps of one filter.
inline constexpr std::size_t kMaxFilterPrimitives = 32;
// Pictures' pixels scaled onto the canvas in one icon, counting a picture
// each time it is drawn: cairo's smooth scaling reads every one.
inline constexpr double kMaxImagePixels = 16.0 * 1024 * 1024;

struct GradientStop {
  float offset = 0;  // 0..1, ascending
  std::uint32_t argb = 0;
};

// A gradient filling or stroking a path (in Android's drawables the build
// tools inline it as a drawable resource of its own). Coordinates are in
// viewport units, in the space of the path it paints.
struct DrawingGradient {
  enum class Type { Linear, Radial, Sweep };
  enum class Tile { Clamp, Repeat, Mirror };
  Type type = Type::Linear;
  float startX = 0, startY = 0, endX = 0, endY = 0;  // linear
  float centerX = 0, centerY = 0;                    // radial and sweep
  float radius = 0;                                  // radial
  std::vector<GradientStop> stops;                   // at least two
  Tile tile = Tile::Clamp;
  // SVG: the radial gradient's focal point (else its centre), coordinates
  // as fractions of the painted path's bounds, and a transform from the
  // gradient's space into the path's, (a b c d e f) as SVG's matrix().
  bool hasFocus = false;
  float focusX = 0, focusY = 0;
  bool boundingBoxUnits = false;
  float transform[6] = {1, 0, 0, 1, 0, 0};
};

struct DrawingPaint {
  enum class Kind { None, Solid, Gradient };
  Kind kind = Kind::None;
  std::uint32_t argb = 0;
  DrawingGradient gradient;
};

struct DrawingPath {
  std::vector<PathCommand> commands;  // absolute (draw/Path.h)
  DrawingPaint fill;
  DrawingPaint stroke;
  float fillAlpha = 1, strokeAlpha = 1;
  float strokeWidth = 0;
  float strokeMiterLimit = 4;
  bool evenOdd = false;  // fillType
  enum class Cap { Butt, Round, Square } cap = Cap::Butt;
  enum class Join { Miter, Round, Bevel } join = Join::Miter;
  float trimStart = 0, trimEnd = 1, trimOffset = 0;
  // SVG: dash lengths along the stroke, in the path's units, and where
  // along them the stroke starts. At most kMaxDashes.
  std::vector<float> dashes;
  float dashOffset = 0;
};

inline constexpr std::size_t kMaxDashes = 64;

struct DrawingNode;
struct DrawingMask;
struct DrawingFilter;

struct DrawingGroup {
  float rotation = 0;  // degrees
  float pivotX = 0, pivotY = 0;
  float scaleX = 1, scaleY = 1;
  float translateX = 0, translateY = 0;
  // SVG: a transform (a b c d e f) in place of the ones above, and the
  // group's opacity, applied to its children drawn together.
  bool hasMatrix = false;
  float matrix[6] = {1, 0, 0, 1, 0, 0};
  float opacity = 1;
  std::vector<DrawingNode> children;  // in document order
  // SVG: the children's drawing goes through the filter, then is covered by
  // the mask, then laid down at the opacity. A filter applies to what the
  // clip paths among the children have already cut: the SVG reader puts an
  // element's filter on a group of its own inside the one that clips it.
  std::shared_ptr<const DrawingFilter> filter;
  std::shared_ptr<const DrawingMask> mask;
};

// A picture placed over a box in its group's units (SVG's image, its
// aspect already fitted into the box).
struct DrawingImage {
  std::shared_ptr<const RgbaImage> pixels;
  float x = 0, y = 0, width = 0, height = 0;
};

// One child of a group: a group, a path, a clip-path (which clips the
// group's later children, as Android does; by the path's fill rule), or a
// picture. A picture counts as a path against the limits.
struct DrawingNode {
  enum class Kind { Group, Path, ClipPath, Image };
  Kind kind = Kind::Path;
  DrawingGroup group;  // Kind::Group
  DrawingPath path;    // Kind::Path; Kind::ClipPath uses path.commands and path.evenOdd only
  DrawingImage image;  // Kind::Image
};

// The group's bounds, as SVG's masks and filters measure their regions by:
// the fill outlines of its paths and pictures, in the group's own units.
// A region (x, y, width, height) is in fractions of those bounds when
// `inBounds`, else in the group's units.
struct DrawingRegion {
  bool inBounds = true;
  float x = -0.1f, y = -0.1f, width = 1.2f, height = 1.2f;
};

// SVG's mask: its content drawn in the masked group's units (or in
// fractions of its bounds), cut to the region; its luminance (SVG's
// weights, taken on sRGB values) times its alpha, or its alpha alone,
// covers the group's drawing.
struct DrawingMask {
  DrawingRegion region;
  bool contentInBounds = false;
  bool luminance = true;
  DrawingGroup content;
};

// One step of a filter. Its inputs are earlier steps' results (their
// index), the group's drawing (kFilterSource) or that drawing's alpha
// alone (kFilterSourceAlpha). Each works in linear RGB or in sRGB.
inline constexpr int kFilterSource = -1, kFilterSourceAlpha = -2;
struct FilterStep {
  enum class Kind { Blur, Offset, Flood, Composite, Merge, ColorMatrix };
  enum class Operator { Over, In, Out, Atop, Xor, Arithmetic };
  Kind kind = Kind::Blur;
  std::vector<int> inputs;  // Merge: any number, bottom first; Composite: in, in2; the others one
  bool linearRgb = true;
  float dx = 0, dy = 0;     // Blur: standard deviations; Offset: the move; in the group's units
  std::uint32_t argb = 0;   // Flood
  Operator op = Operator::Over;
  float k[4] = {0, 0, 0, 0};  // Arithmetic: k1 i1 i2 + k2 i1 + k3 i2 + k4
  // ColorMatrix: four rows of five, taking straight R, G, B, A and 1 as
  // fractions to R', G', B', A'.
  float matrix[20] = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
};

// SVG's filter: its steps in order over the group's drawing, the last
// one's result shown inside the region. Without steps nothing is shown.
struct DrawingFilter {
  DrawingRegion region;
  std::vector<FilterStep> steps;  // at most kMaxFilterPrimitives
};

// A vector picture: its groups and paths drawn over a viewport that is
// stretched over the drawing's intrinsic size.
struct Drawing {
  float widthDp = 0, heightDp = 0;               // intrinsic size, in dp
  float viewportWidth = 0, viewportHeight = 0;   // > 0
  float alpha = 1;
  DrawingGroup root;
};

// A shape drawable's gradient, as Android states it for a shape: relative
// to the shape's bounds.
struct ShapeGradient {
  enum class Type { Linear, Radial, Sweep };
  Type type = Type::Linear;
  float angle = 0;                    // linear: degrees, 0 = left to right, 90 = bottom to top
  float centerX = 0.5f, centerY = 0.5f;  // fractions of the bounds
  float radius = 0;                   // radial
  bool radiusIsFraction = false;      // radius as a fraction of the bounds' smaller side, else in dp
  std::vector<GradientStop> stops;    // start/center/end colours as stops
};

struct ShapeDrawable {
  enum class Shape { Rectangle, Oval };
  Shape shape = Shape::Rectangle;
  bool hasSolid = false;
  std::uint32_t solidArgb = 0;
  bool hasGradient = false;
  ShapeGradient gradient;
  float cornerRadii[4] = {0, 0, 0, 0};  // dp: top-left, top-right, bottom-right, bottom-left (rectangle)
};

// One layer of an adaptive icon, or what an inset/bitmap wrapper holds.
struct LayerDrawable {
  enum class Kind { Color, Bitmap, Vector, Shape, Inset };
  Kind kind = Kind::Color;
  std::uint32_t argb = 0;   // Color
  RgbaImage bitmap;         // Bitmap: stretched over the layer's bounds
  Drawing vector;    // Vector: its viewport fills the layer's bounds
  ShapeDrawable shape;      // Shape
  // Inset: the inner drawable drawn inside bounds shrunk by these insets,
  // each a fraction of the bounds' width/height or a length in dp.
  float insets[4] = {0, 0, 0, 0};  // left, top, right, bottom
  bool insetIsFraction[4] = {false, false, false, false};
  std::shared_ptr<LayerDrawable> inner;  // Inset
};

struct AdaptiveIcon {
  LayerDrawable background;
  LayerDrawable foreground;
};

// What an icon entry turned out to be.
struct AndroidIconDrawing {
  enum class Kind { None, Vector, Adaptive };
  Kind kind = Kind::None;
  Drawing vector;
  AdaptiveIcon adaptive;
};
