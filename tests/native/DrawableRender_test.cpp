#include "draw/DrawableRender.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "draw/PathData.h"
#include "tests/support/TestImages.h"

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kClear = 0;

// Path data as the readers parse it.
std::vector<PathCommand> Commands(std::string_view data) {
  std::size_t budget = 2 * kMaxPathCommands;
  return ParsePathData(data, budget).value();
}

DrawingNode FillPath(std::string data, std::uint32_t argb) {
  DrawingNode node;
  node.path.commands = Commands(data);
  node.path.fill = {DrawingPaint::Kind::Solid, argb, {}};
  return node;
}

DrawingNode StrokePath(std::string data, std::uint32_t argb, float width, DrawingPath::Cap cap = DrawingPath::Cap::Butt) {
  DrawingNode node;
  node.path.commands = Commands(data);
  node.path.stroke = {DrawingPaint::Kind::Solid, argb, {}};
  node.path.strokeWidth = width;
  node.path.cap = cap;
  return node;
}

DrawingNode Group(std::vector<DrawingNode> children, std::function<void(DrawingGroup&)> set = {}) {
  DrawingNode node;
  node.kind = DrawingNode::Kind::Group;
  node.group.children = std::move(children);
  if (set) set(node.group);
  return node;
}

DrawingNode Clip(std::string data) {
  DrawingNode node;
  node.kind = DrawingNode::Kind::ClipPath;
  node.path.commands = Commands(data);
  return node;
}

DrawingNode GradientFill(std::string data, DrawingGradient gradient) {
  DrawingNode node;
  node.path.commands = Commands(data);
  node.path.fill.kind = DrawingPaint::Kind::Gradient;
  node.path.fill.gradient = std::move(gradient);
  return node;
}

// 48 x 48 dp over a 48-unit viewport: 4 pixels a unit on the 192 canvas.
Drawing Vector(std::vector<DrawingNode> children, float viewport = 48) {
  Drawing v;
  v.widthDp = v.heightDp = 48;
  v.viewportWidth = v.viewportHeight = viewport;
  v.root.children = std::move(children);
  return v;
}

template <typename T>
T With(T value, std::function<void(T&)> change) {
  change(value);
  return value;
}

struct Probe {
  int x, y;
  std::uint32_t argb;
};

// The image is side x side and has the probes' colours, each channel
// within 2 (cairo keeps 8-bit premultiplied pixels).
void ExpectProbes(const char* name, const RgbaImage& image, int side, const std::vector<Probe>& probes) {
  ASSERT_EQ(image.width, side) << name;
  ASSERT_EQ(image.height, side) << name;
  for (const Probe& p : probes) {
    EXPECT_TRUE(ArgbNear(PixelArgb(image, p.x, p.y), p.argb, 2))
        << name << " at " << p.x << "," << p.y << ": " << std::hex << PixelArgb(image, p.x, p.y);
  }
}

TEST(RenderVectorIcon, PixelsAtChosenPoints) {
  const std::string square = "M8 8H40V40H8Z";
  const std::string whole = "M0 0H48V48H0Z";
  DrawingGradient linear;
  linear.startX = 12, linear.endX = 36;
  linear.stops = {{0, 0xFF000000}, {1, 0xFFFFFFFF}};
  DrawingGradient radial;
  radial.type = DrawingGradient::Type::Radial;
  radial.centerX = radial.centerY = radial.radius = 24;
  radial.stops = {{0, kRed}, {1, kBlue}};
  DrawingGradient sweep = radial;
  sweep.type = DrawingGradient::Type::Sweep;
  DrawingNode trimmed = StrokePath("M0 24H48", kBlue, 4);
  trimmed.path.trimEnd = 0.5f, trimmed.path.trimOffset = 0.75f;  // wraps: the first and last quarters

  const struct {
    const char* name;
    Drawing drawable;
    std::vector<Probe> probes;
  } cases[] = {
      {"fill", Vector({FillPath(square, kRed)}), {{96, 96, kRed}, {40, 40, kRed}, {10, 10, kClear}}},
      {"even-odd hole",
       Vector({With<DrawingNode>(FillPath(square + "M16 16H32V32H16Z", kRed), [](auto& n) { n.path.evenOdd = true; })}),
       {{96, 96, kClear}, {40, 96, kRed}}},
      {"round cap reaches past the end", Vector({StrokePath("M12 24H36", kBlue, 4, DrawingPath::Cap::Round)}),
       {{96, 100, kBlue}, {150, 96, kBlue}, {160, 96, kClear}}},
      {"butt cap stops at the end", Vector({StrokePath("M12 24H36", kBlue, 4)}), {{96, 100, kBlue}, {150, 96, kClear}}},
      {"rotation about the pivot",
       Vector({Group({FillPath("M4 4H12V12H4Z", kRed)},
                     [](DrawingGroup& g) { g.rotation = 90, g.pivotX = g.pivotY = 24; })}),
       {{160, 32, kRed}, {32, 32, kClear}}},
      {"scale then translate",
       Vector({Group({FillPath("M4 4H12V12H4Z", kRed)}, [](DrawingGroup& g) { g.scaleX = 2, g.translateY = 24; })}),
       {{80, 128, kRed}, {24, 32, kClear}, {24, 128, kClear}}},
      {"clip path clips later siblings only",
       Vector({Group({FillPath("M0 0H48V8H0Z", kGreen), Clip("M0 0H24V48H0Z"), FillPath(whole, kRed)}),
               FillPath("M40 40H48V48H40Z", kBlue)}),
       {{150, 10, kGreen}, {40, 96, kRed}, {150, 96, kClear}, {185, 185, kBlue}}},
      {"linear gradient, clamped", Vector({GradientFill(whole, linear)}),
       {{20, 96, 0xFF000000}, {96, 96, 0xFF818181}, {180, 96, 0xFFFFFFFF}}},
      {"radial gradient", Vector({GradientFill(whole, radial)}),
       {{96, 96, 0xFFFE0001}, {190, 96, 0xFF0400FB}, {2, 2, kBlue}}},
      {"sweep gradient, clockwise from the right", Vector({GradientFill(whole, sweep)}),
       {{180, 97, 0xFFFF0000}, {96, 180, 0xFFBF0040}}},
      {"trim path wraps past the end", Vector({trimmed}), {{20, 96, kBlue}, {96, 96, kClear}, {185, 96, kBlue}}},
      {"drawable alpha keeps the colour", With<Drawing>(Vector({FillPath(whole, kRed)}), [](auto& v) { v.alpha = 0.5f; }),
       {{96, 96, 0x80FF0000}}},
      {"half-transparent colour keeps its straight RGB", Vector({FillPath(whole, 0x80336699)}), {{96, 96, 0x80336699}}},
      {"fill alpha multiplies", Vector({With<DrawingNode>(FillPath(whole, kRed), [](auto& n) { n.path.fillAlpha = 0.5f; })}),
       {{96, 96, 0x80FF0000}}},
      {"wide drawable centred",
       With<Drawing>(Vector({FillPath("M0 0H48V24H0Z", kRed)}), [](auto& v) { v.heightDp = 24, v.viewportHeight = 24; }),
       {{96, 20, kClear}, {96, 96, kRed}, {96, 170, kClear}}},
      {"viewport stretched, not cropped", Vector({FillPath(whole, kRed)}, 96), {{90, 90, kRed}, {100, 100, kClear}}},
  };
  for (const auto& c : cases) ExpectProbes(c.name, RenderVectorIcon(c.drawable), kVectorIconPixels, c.probes);
}

LayerDrawable ColorLayer(std::uint32_t argb) {
  LayerDrawable layer;
  layer.argb = argb;
  return layer;
}

LayerDrawable ShapeLayer(std::function<void(ShapeDrawable&)> set) {
  LayerDrawable layer;
  layer.kind = LayerDrawable::Kind::Shape;
  set(layer.shape);
  return layer;
}

TEST(RenderAdaptiveIcon, LayersUnderTheRoundMask) {
  LayerDrawable vector;
  vector.kind = LayerDrawable::Kind::Vector;
  vector.vector = Vector({FillPath("M36 36H72V72H36Z", kRed)}, 108);  // the middle third of the layer
  LayerDrawable bitmap;
  bitmap.kind = LayerDrawable::Kind::Bitmap;
  bitmap.bitmap = {4, 1, {255, 0, 0, 255, 255, 0, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255}};
  LayerDrawable inset;
  inset.kind = LayerDrawable::Kind::Inset;
  inset.insets[0] = inset.insets[1] = inset.insets[2] = inset.insets[3] = 0.25f;
  inset.insetIsFraction[0] = inset.insetIsFraction[1] = inset.insetIsFraction[2] = inset.insetIsFraction[3] = true;
  inset.inner = std::make_shared<LayerDrawable>(ShapeLayer([](ShapeDrawable& s) { s.hasSolid = true, s.solidArgb = kRed; }));
  auto gradient = [](float angle) {
    return ShapeLayer([angle](ShapeDrawable& s) {
      s.hasGradient = true;
      s.gradient.angle = angle;
      s.gradient.stops = {{0, 0xFF000000}, {1, 0xFFFFFFFF}};
    });
  };

  const struct {
    const char* name;
    AdaptiveIcon icon;
    std::vector<Probe> probes;
  } cases[] = {
      {"colour and vector",
       {ColorLayer(kGreen), vector},
       {{0, 0, kClear}, {287, 287, kClear}, {144, 144, kRed}, {20, 144, kGreen}, {144, 1, kGreen}}},
      {"bitmap stretched over the layer", {bitmap, ColorLayer(0)}, {{40, 144, kRed}, {250, 144, kBlue}}},
      {"inset shape", {ColorLayer(0xFFFFFFFF), inset}, {{30, 144, 0xFFFFFFFF}, {40, 144, kRed}, {260, 144, 0xFFFFFFFF}}},
      {"linear gradient left to right", {gradient(0), ColorLayer(0)}, {{10, 144, 0xFF313131}}},
      {"linear gradient bottom to top", {gradient(90), ColorLayer(0)}, {{144, 10, 0xFFCECECE}}},
      {"an angle off the eight directions is top to bottom", {gradient(30), ColorLayer(0)}, {{144, 10, 0xFF313131}}},
  };
  for (const auto& c : cases) ExpectProbes(c.name, RenderAdaptiveIcon(c.icon), kAdaptiveIconPixels, c.probes);
}

// A chosen side scales the whole drawing: dp lengths (insets, corner radii)
// and the mask alike.
TEST(RenderAndroidIcon, AtAChosenSide) {
  LayerDrawable inset;
  inset.kind = LayerDrawable::Kind::Inset;
  inset.insets[0] = inset.insets[1] = inset.insets[2] = inset.insets[3] = 36;  // dp: the middle third of 108 dp
  inset.inner = std::make_shared<LayerDrawable>(ShapeLayer([](ShapeDrawable& s) { s.hasSolid = true, s.solidArgb = kRed; }));
  AndroidIconDrawing drawing;
  drawing.kind = AndroidIconDrawing::Kind::Adaptive;
  drawing.adaptive = {ColorLayer(kGreen), inset};
  // The red square spans 18..54 dp of the shown 72 dp: 0.25..0.75 of the side.
  for (const int side : {16, 100, 1024}) {
    const int q = side / 4;
    ExpectProbes("inset", RenderAndroidIcon(drawing, side), side,
                 {{0, 0, kClear}, {side / 2, side / 2, kRed}, {q + 2, side / 2, kRed}, {q - 2, side / 2, kGreen}});
  }
  EXPECT_EQ(RenderAndroidIcon(drawing).width, kAdaptiveIconPixels);
  EXPECT_TRUE(RenderAndroidIcon(drawing, 15).empty());
  EXPECT_TRUE(RenderAndroidIcon(drawing, 1025).empty());
}

TEST(RenderAdaptiveIcon, MaskEdgeIsPartlyCoveredWithoutDarkening) {
  const RgbaImage image = RenderAdaptiveIcon({ColorLayer(kGreen), ColorLayer(0)});
  ASSERT_FALSE(image.empty());
  // The circle of radius 144 about the centre crosses this pixel.
  const std::uint32_t edge = PixelArgb(image, 41, 42);
  EXPECT_GT(edge >> 24, 0u);
  EXPECT_LT(edge >> 24, 255u);
  EXPECT_EQ(edge & 0xFFFFFF, 0x00FF00u);
}

TEST(RenderVectorIcon, StopsWhenToldTo) {
  std::string d = "M0 0";
  for (int i = 1; i <= 160; ++i) d += (i % 2 ? "L48 " : "L0 ") + std::to_string(i * 0.3);
  Drawing many = Vector({});
  many.root.children.assign(100, FillPath(d, kRed));
  EXPECT_FALSE(RenderVectorIcon(many, 64, [] { return true; }).empty());
  EXPECT_TRUE(RenderVectorIcon(many, 64, [] { return false; }).empty());
}

TEST(RenderAndroidIcon, BeyondTheLimitsNothingIsDrawn) {
  const Drawing good = Vector({Group({FillPath("M0 0H48V48H0Z", kRed)})});
  ASSERT_FALSE(RenderVectorIcon(good).empty());
  std::string half = "M0 0";
  for (std::size_t i = 0; i < kMaxPathCommands / 2; ++i) half += "L1 1";
  DrawingGroup deep;
  for (int i = 0; i < kMaxDrawableDepth + 1; ++i) deep = Group({DrawingNode{DrawingNode::Kind::Group, deep, {}, {}}}).group;
  // Edges from side to side of the 48-unit viewport, 0.01 apart.
  auto zigzag = [](int edges) {
    std::string d = "M0 0";
    for (int i = 1; i <= edges; ++i) d += (i % 2 ? "L48 " : "L0 ") + std::to_string(i * 0.01);
    return d;
  };
  const int fillHalf = int(kMaxFillEdges / 2) + 1;
  auto sweep = [](DrawingNode node) {
    node.path.fill.kind = DrawingPaint::Kind::Gradient;
    node.path.fill.gradient.type = DrawingGradient::Type::Sweep;
    node.path.fill.gradient.stops = {{0, kRed}, {1, kBlue}};
    return node;
  };

  // Masks and filters, and pictures.
  const auto masked = [](DrawingNode node) {
    node.group.mask = std::make_shared<DrawingMask>();
    return node;
  };
  DrawingNode maskedDeep = FillPath("M0 0H48V48H0Z", kRed);
  for (int i = 0; i <= kMaxEffectDepth; ++i) maskedDeep = masked(Group({maskedDeep}));
  const auto filtered = [](std::vector<FilterStep> steps) {
    auto filter = std::make_shared<DrawingFilter>();
    filter->steps = std::move(steps);
    return Group({FillPath("M0 0H48V48H0Z", kRed)}, [&](DrawingGroup& g) { g.filter = filter; });
  };
  FilterStep blur;
  blur.inputs = {kFilterSource};
  blur.dx = blur.dy = 1;
  FilterStep later = blur;
  later.inputs = {1};
  DrawingNode picture;
  picture.kind = DrawingNode::Kind::Image;
  picture.image = {std::make_shared<RgbaImage>(RgbaImage{1024, 1024, std::vector<std::uint8_t>(1024 * 1024 * 4)}), 0, 0, 48, 48};

  const struct {
    const char* name;
    std::function<void(Drawing&)> change;
  } cases[] = {
      {"masks within masks too deep", [&](auto& v) { v.root.children = {maskedDeep}; }},
      {"a filter step taking a later one's result", [&](auto& v) { v.root.children = {filtered({later, blur})}; }},
      {"blurs over too many canvases",
       [&](auto& v) { v.root.children = {filtered(std::vector<FilterStep>(int(kMaxEffectCanvases) / 2, blur))}; }},
      {"pictures over too many pixels", [&](auto& v) { v.root.children.assign(int(kMaxImagePixels) / (1024 * 1024) + 1, picture); }},
      {"commands over the whole icon", [&](auto& v) { v.root.children = {FillPath(half, kRed), FillPath(half, kRed)}; }},
      {"too many paths", [](auto& v) { v.root.children.assign(kMaxDrawablePaths + 1, FillPath("M0 0", kRed)); }},
      {"too deep", [&](auto& v) { v.root = deep; }},
      {"NaN rotation", [](auto& v) { v.root.children[0].group.rotation = std::nanf(""); }},
      {"infinite width", [](auto& v) { v.widthDp = INFINITY; }},
      {"NaN stop", [](auto& v) {
         DrawingPaint& fill = v.root.children[0].group.children[0].path.fill;
         fill.kind = DrawingPaint::Kind::Gradient;
         fill.gradient.stops = {{std::nanf(""), kRed}};
       }},
      {"radial gradient without radius", [](auto& v) {
         DrawingPaint& fill = v.root.children[0].group.children[0].path.fill;
         fill.kind = DrawingPaint::Kind::Gradient;
         fill.gradient.type = DrawingGradient::Type::Radial;
         fill.gradient.stops = {{0, kRed}};
       }},
      {"empty viewport", [](auto& v) { v.viewportWidth = 0; }},
      {"a point that is not finite", [](auto& v) { v.root.children[0].group.children[0].path.commands[1].to.y = NAN; }},
      {"a scale no icon has", [](auto& v) { v.root.children[0].group.scaleX = 1e30f; }},
      // What would keep cairo busy for seconds to minutes.
      {"a pen as wide as the icon over 2,000 edges", [&](auto& v) { v.root.children = {StrokePath(zigzag(2000), kRed, 48)}; }},
      {"more filled edges than an icon may have",
       [&](auto& v) { v.root.children = {FillPath(zigzag(fillHalf), kRed), FillPath(zigzag(fillHalf), kRed)}; }},
      {"sweep gradients over too many canvases",
       [&](auto& v) { v.root.children.assign(int(kMaxSweepCanvases) + 1, sweep(FillPath("M0 0H48V48H0Z", kRed))); }},
  };
  for (const auto& c : cases) EXPECT_TRUE(RenderVectorIcon(With<Drawing>(good, c.change)).empty()) << c.name;

  DrawingGroup deepest;
  for (int i = 0; i < kMaxDrawableDepth; ++i) deepest = Group({DrawingNode{DrawingNode::Kind::Group, deepest, {}, {}}}).group;
  EXPECT_FALSE(RenderVectorIcon(With<Drawing>(good, [&](auto& v) { v.root = deepest; })).empty());
  // Just inside the costs: a thin pen over 1,000 edges, filled edges to the
  // limit, sweeps to the limit; masks as deep as allowed beside blurs and a
  // picture.
  EXPECT_FALSE(RenderVectorIcon(With<Drawing>(good, [&](auto& v) {
                 v.root.children = {StrokePath(zigzag(1000), kRed, 1), FillPath(zigzag(int(kMaxFillEdges) - 10), kRed)};
               })).empty());
  EXPECT_FALSE(RenderVectorIcon(With<Drawing>(good, [&](auto& v) {
                 v.root.children.assign(int(kMaxSweepCanvases), sweep(FillPath("M0 0H48V48H0Z", kRed)));
               })).empty());
  EXPECT_FALSE(RenderVectorIcon(With<Drawing>(good, [&](auto& v) {
                 v.root.children = {masked(masked(masked(masked(Group({FillPath("M0 0H48V48H0Z", kRed)})))))};
                 v.root.children.push_back(filtered(std::vector<FilterStep>(6, blur)));
                 v.root.children.push_back(picture);
               })).empty());

  LayerDrawable unknown;
  unknown.kind = static_cast<LayerDrawable::Kind>(99);
  LayerDrawable emptyInset;
  emptyInset.kind = LayerDrawable::Kind::Inset;
  EXPECT_TRUE(RenderAdaptiveIcon({ColorLayer(kRed), unknown}).empty());
  EXPECT_TRUE(RenderAdaptiveIcon({emptyInset, ColorLayer(kRed)}).empty());
  EXPECT_TRUE(RenderAndroidIcon({}).empty());
}

}  // namespace
