// Fuzz target for the renderer: the input describes a small vector
// drawable, line by line, which is drawn alone or as an adaptive icon's
// foreground. Every parameter byte picks kValues[byte % 16] (so '0'..'9'
// pick the first ten), colours kColours[byte % 8].
//   line 0:  mode (bit 0: adaptive icon, bit 1: foreground inset), then
//            widthDp, heightDp, viewportWidth, viewportHeight, alpha
//   "(" + rotation pivotX pivotY scaleX scaleY translateX translateY:
//            opens a group, ")" closes it
//   "c" + path data: a clip path
//   any other first byte, then fill colour, fill kind (byte % 16, then
//            % 5: none, solid, linear, radial, sweep; / 5: tile), stroke colour, stroke
//            width, trim start, trim end, trim offset, style (bit 0 even-odd,
//            bits 1-2 cap, bits 3-4 join), then the path data: a path
// A result is empty or a whole canvas with no colour under alpha 0, and
// comes within seconds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "draw/DrawableRender.h"
#include "draw/PathData.h"

namespace {

constexpr float kValues[16] = {0, 1, 2, 4, 24, 48, 90, 108, -1, 0.5f, 0.001f, 1e6f, -1e6f, 1e30f,
                               std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};
constexpr std::uint32_t kColours[8] = {0, 0xFFFF0000, 0x80336699, 0xFF00FF00, 0x00FFFFFF, 0xFF0000FF, 0x01FFFFFF, 0xFFFFFFFF};
// Deeper than the renderer allows, but bounded: the model is freed recursively.
constexpr int kMaxNesting = kMaxDrawableDepth + 2;

// Path data parsed as a reader parses it, over a budget beyond the
// renderer's own limit so that the renderer's count is reached too;
// malformed data leaves the path empty.
std::vector<PathCommand> Commands(std::string_view data, std::size_t& budget) {
  return ParsePathData(data, budget).value_or(std::vector<PathCommand>());
}

struct Line {
  std::string_view text;
  std::uint8_t at(std::size_t i) const { return i < text.size() ? std::uint8_t(text[i]) : 0; }
  float value(std::size_t i) const { return kValues[at(i) % 16]; }
  std::string_view rest(std::size_t from) const { return from < text.size() ? text.substr(from) : std::string_view{}; }
};

DrawingPaint Paint(std::uint8_t colour, int kind, float viewport) {
  DrawingPaint paint;
  paint.argb = kColours[colour % 8];
  if (kind % 5 == 0) return paint;
  paint.kind = kind % 5 == 1 ? DrawingPaint::Kind::Solid : DrawingPaint::Kind::Gradient;
  DrawingGradient& g = paint.gradient;
  g.type = static_cast<DrawingGradient::Type>(std::max(0, kind % 5 - 2));
  g.tile = static_cast<DrawingGradient::Tile>(kind / 5 % 3);
  g.endX = g.endY = viewport;
  g.centerX = g.centerY = g.radius = viewport / 2;
  g.stops = {{0, paint.argb}, {0.5f, kColours[(colour + 3) % 8]}, {1, kColours[(colour + 5) % 8]}};
  return paint;
}

void ReadGroup(const std::vector<Line>& lines, std::size_t& next, DrawingGroup& group, int nesting, float viewport,
               std::size_t& budget) {
  while (next < lines.size()) {
    const Line& line = lines[next++];
    DrawingNode node;
    switch (line.at(0)) {
      case ')':
        if (nesting > 0) return;
        continue;
      case '(':
        if (nesting >= kMaxNesting) continue;
        node.kind = DrawingNode::Kind::Group;
        node.group.rotation = line.value(1), node.group.pivotX = line.value(2), node.group.pivotY = line.value(3);
        node.group.scaleX = line.value(4), node.group.scaleY = line.value(5);
        node.group.translateX = line.value(6), node.group.translateY = line.value(7);
        ReadGroup(lines, next, node.group, nesting + 1, viewport, budget);
        break;
      case 'c':
        node.kind = DrawingNode::Kind::ClipPath;
        node.path.commands = Commands(line.rest(1), budget);
        break;
      default: {
        DrawingPath& p = node.path;
        p.fill = Paint(line.at(1), line.at(2) % 16, viewport);
        p.stroke = Paint(line.at(3), 1, viewport);
        p.strokeWidth = line.value(4);
        p.trimStart = line.value(5);
        p.trimEnd = line.at(6) == 0 ? 1 : line.value(6);  // a short line draws whole
        p.trimOffset = line.value(7);
        const std::uint8_t style = line.at(8);
        p.evenOdd = style & 1;
        p.cap = static_cast<DrawingPath::Cap>((style >> 1) % 3);
        p.join = static_cast<DrawingPath::Join>((style >> 3) % 3);
        p.commands = Commands(line.rest(9), budget);
      }
    }
    group.children.push_back(std::move(node));
  }
}

void CheckImage(const RgbaImage& image, int side) {
  if (image.empty()) return;
  if (image.width != side || image.height != side || image.pixels.size() != std::size_t(side) * side * 4) __builtin_trap();
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    if (image.pixels[i + 3] == 0 && (image.pixels[i] | image.pixels[i + 1] | image.pixels[i + 2])) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<Line> lines;
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    lines.push_back({input.substr(start, end - start)});
    start = end + 1;
  }
  const Line& header = lines[0];
  Drawing vector;
  vector.widthDp = header.value(1), vector.heightDp = header.value(2);
  vector.viewportWidth = header.value(3), vector.viewportHeight = header.value(4);
  vector.alpha = header.at(5) == 0 ? 1 : header.value(5);
  std::size_t next = 1;
  std::size_t budget = 2 * kMaxPathCommands;
  ReadGroup(lines, next, vector.root, 0, vector.viewportWidth, budget);

  const auto start = std::chrono::steady_clock::now();
  if (header.at(0) & 1) {
    AdaptiveIcon icon;
    icon.background.kind = LayerDrawable::Kind::Shape;
    icon.background.shape.hasGradient = true;
    icon.background.shape.gradient.type = static_cast<ShapeGradient::Type>(header.at(0) / 4 % 3);
    icon.background.shape.gradient.stops = {{0, 0xFF204080}, {1, 0xFFFFFFFF}};
    LayerDrawable layer;
    layer.kind = LayerDrawable::Kind::Vector;
    layer.vector = std::move(vector);
    if (header.at(0) & 2) {
      icon.foreground.kind = LayerDrawable::Kind::Inset;
      icon.foreground.insets[0] = icon.foreground.insets[2] = 12;
      icon.foreground.inner = std::make_shared<LayerDrawable>(std::move(layer));
    } else {
      icon.foreground = std::move(layer);
    }
    CheckImage(RenderAdaptiveIcon(icon), kAdaptiveIconPixels);
  } else {
    CheckImage(RenderVectorIcon(vector), kVectorIconPixels);
  }
  // Work is bounded by the limits; seconds for one icon mean a slow path.
  if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5)) __builtin_trap();
  return 0;
}
