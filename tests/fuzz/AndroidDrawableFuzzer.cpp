// Fuzz target for reading a drawn Android icon from the packaging tool's
// text: the input is the resources listing, a zero byte, and the tree text
// the tool is taken to print for every XML entry asked for; every raster
// entry is a 1 x 1 picture. Whatever the input, a drawing comes back whole
// or not at all: every number finite, gradient stops ascending, and the
// renderer draws it (its own checks of the limits decide what whole means).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "android/AndroidDrawableText.h"
#include "android/ToolXmlTree.h"
#include "draw/DrawableRender.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckFinite(std::initializer_list<float> values) {
  for (float value : values) Check(std::isfinite(value));
}

void CheckStops(const std::vector<GradientStop>& stops) {
  float previous = 0;
  for (const GradientStop& stop : stops) {
    Check(stop.offset >= previous && stop.offset <= 1);
    previous = stop.offset;
  }
}

void CheckPaint(const DrawingPaint& paint) {
  if (paint.kind != DrawingPaint::Kind::Gradient) return;
  const DrawingGradient& g = paint.gradient;
  CheckFinite({g.startX, g.startY, g.endX, g.endY, g.centerX, g.centerY, g.radius});
  CheckStops(g.stops);
}

void CheckGroup(const DrawingGroup& group) {
  CheckFinite({group.rotation, group.pivotX, group.pivotY, group.scaleX, group.scaleY, group.translateX, group.translateY});
  for (const DrawingNode& node : group.children) {
    if (node.kind == DrawingNode::Kind::Group) {
      CheckGroup(node.group);
      continue;
    }
    const DrawingPath& p = node.path;
    CheckFinite({p.fillAlpha, p.strokeAlpha, p.strokeWidth, p.strokeMiterLimit, p.trimStart, p.trimEnd, p.trimOffset});
    CheckPaint(p.fill);
    CheckPaint(p.stroke);
  }
}

void CheckVector(const Drawing& vector) {
  CheckFinite({vector.widthDp, vector.heightDp, vector.viewportWidth, vector.viewportHeight, vector.alpha});
  CheckGroup(vector.root);
}

void CheckLayer(const LayerDrawable& layer) {
  switch (layer.kind) {
    case LayerDrawable::Kind::Color: break;
    case LayerDrawable::Kind::Bitmap: break;
    case LayerDrawable::Kind::Vector: CheckVector(layer.vector); break;
    case LayerDrawable::Kind::Shape: {
      const ShapeDrawable& shape = layer.shape;
      for (float radius : shape.cornerRadii) CheckFinite({radius});
      if (shape.hasGradient) {
        CheckFinite({shape.gradient.angle, shape.gradient.centerX, shape.gradient.centerY, shape.gradient.radius});
        CheckStops(shape.gradient.stops);
      }
      break;
    }
    case LayerDrawable::Kind::Inset:
      for (float inset : layer.insets) CheckFinite({inset});
      if (layer.inner) CheckLayer(*layer.inner);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view resources = input.substr(0, zero);
  const std::string_view tree = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);

  const ToolXmlTree parsed = ParseToolXmlTree(tree);
  Check(parsed.elements.size() <= kMaxXmlTreeElements);
  for (std::size_t i = 0; i < parsed.elements.size(); ++i) {
    for (std::size_t child : parsed.elements[i].children) Check(child > i && child < parsed.elements.size());
  }

  DrawableSources sources;
  sources.resources = resources;
  sources.xmlTree = [tree](const std::string&) { return std::string(tree); };
  sources.bitmap = [](const std::string&) { return RgbaImage{1, 1, {0, 0, 0, 0}}; };
  const AndroidIconDrawing icon = ReadAndroidIcon(sources, "res/mipmap-anydpi-v26/ic_launcher.xml");
  switch (icon.kind) {
    case AndroidIconDrawing::Kind::None:
      Check(icon.vector.root.children.empty() && icon.adaptive.foreground.kind == LayerDrawable::Kind::Color);
      return 0;
    case AndroidIconDrawing::Kind::Vector: CheckVector(icon.vector); break;
    case AndroidIconDrawing::Kind::Adaptive:
      CheckLayer(icon.adaptive.background);
      CheckLayer(icon.adaptive.foreground);
      break;
  }
  Check(!RenderAndroidIcon(icon).empty());
  return 0;
}
