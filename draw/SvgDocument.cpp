#include "draw/SvgDocument.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "draw/DrawableRender.h"
#include "draw/SvgShapes.h"
#include "draw/SvgStyle.h"
#include "draw/SvgValues.h"
#include "image/PngDecode.h"
#include "support/Pacer.h"
#include "support/XmlTree.h"

namespace svg {
namespace {

// Appends `shape` with every point mapped through m (kept as OutlineNumber
// keeps them); false when a point leaves float range, as path data would
// have it.
bool AppendPlaced(const std::vector<PathCommand>& shape, const Matrix& m, std::vector<PathCommand>& out) {
  const auto place = [&](PathPoint& p) {
    p = Apply(m, p);
    if (!PathNumberOk(p.x) || !PathNumberOk(p.y)) return false;
    p = {OutlineNumber(p.x), OutlineNumber(p.y)};
    return true;
  };
  for (PathCommand c : shape) {
    if (!place(c.to)) return false;
    if (c.op == PathCommand::Op::CubicTo && (!place(c.c1) || !place(c.c2))) return false;
    out.push_back(c);
  }
  return true;
}

// A colour property with its opacity property (a gradient stop's, a
// flood's): black and opaque unless they say otherwise.
std::optional<std::uint32_t> ColourProperty(const XmlElement& e, std::string_view colourName,
                                            std::string_view opacityName) {
  std::uint32_t colour = 0xFF000000u;
  double opacity = 1;
  const bool ok = ForEachProperty(e, [&](std::string_view name, std::string_view value) {
    value = TrimmedBlanks(value);
    if (name == colourName) {
      const std::optional<std::uint32_t> c = Colour(value);
      if (!c) return false;
      colour = *c;
    } else if (name == opacityName) {
      const std::optional<double> v = Opacity(value);
      if (!v) return false;
      opacity = *v;
    }
    return true;
  });
  if (!ok) return std::nullopt;
  return (std::uint32_t(std::lround((colour >> 24) * opacity)) << 24) | (colour & 0xFFFFFF);
}

// color-interpolation-filters of a filter or one of its steps: linear RGB
// (also for auto), sRGB, or as inherited.
std::optional<bool> LinearRgb(const XmlElement& e, bool inherited) {
  bool linear = inherited;
  const bool ok = ForEachProperty(e, [&](std::string_view name, std::string_view value) {
    if (name != "color-interpolation-filters") return true;
    value = TrimmedBlanks(value);
    if (value == "sRGB") linear = false;
    else if (value == "linearRGB" || value == "auto") linear = true;
    else if (value != "inherit") return false;
    return true;
  });
  return ok ? std::optional<bool>(linear) : std::nullopt;
}

// A step's input named by its attribute: SourceGraphic, SourceAlpha, or the
// latest earlier step whose result bears the name; without one, the step
// before (the source for the first). Nothing for other inputs (the
// background, the paints) or a name no earlier step gave.
std::optional<int> StepInput(const XmlElement& e, std::string_view attribute, const std::vector<std::string>& results) {
  const std::string* in = e.attribute("", attribute);
  if (!in || in->empty()) return results.empty() ? kFilterSource : int(results.size()) - 1;
  if (*in == "SourceGraphic") return kFilterSource;
  if (*in == "SourceAlpha") return kFilterSourceAlpha;
  for (std::size_t i = results.size(); i-- > 0;) {
    if (results[i] == *in) return int(i);
  }
  return std::nullopt;
}

// feColorMatrix's four rows of five: its values, or those its type
// (saturate, luminanceToAlpha) stands for.
bool ColourMatrix(const XmlElement& e, float m[20]) {
  const std::string* typeText = e.attribute("", "type");
  const std::string_view type = typeText ? TrimmedBlanks(*typeText) : "matrix";
  const std::string* valuesText = e.attribute("", "values");
  const std::optional<std::vector<double>> v = Numbers(valuesText ? std::string_view(*valuesText) : "", 20);
  if (!v) return false;
  if (type == "matrix") {
    if (v->size() != 20) return v->empty();  // none: the identity
    std::transform(v->begin(), v->end(), m, [](double x) { return float(x); });
    return true;
  }
  if (type == "luminanceToAlpha") {
    const float rows[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.2125f, 0.7154f, 0.0721f, 0, 0};
    std::copy(std::begin(rows), std::end(rows), m);
    return true;
  }
  if (type != "saturate" || v->size() > 1) return false;
  const float s = v->empty() ? 1 : float((*v)[0]);
  const float rows[20] = {0.213f + 0.787f * s, 0.715f - 0.715f * s, 0.072f - 0.072f * s, 0, 0,
                          0.213f - 0.213f * s, 0.715f + 0.285f * s, 0.072f - 0.072f * s, 0, 0,
                          0.213f - 0.213f * s, 0.715f - 0.715f * s, 0.072f + 0.928f * s, 0, 0,
                          0, 0, 0, 1, 0};
  std::copy(std::begin(rows), std::end(rows), m);
  return true;
}

// One filter step. Nothing for a primitive not drawn here, a subregion of
// its own, or a value not read.
std::optional<FilterStep> Step(const XmlElement& e, const std::vector<std::string>& results, bool linear) {
  for (std::string_view subregion : {"x", "y", "width", "height"}) {
    if (e.attribute("", subregion)) return std::nullopt;
  }
  FilterStep step;
  const std::optional<bool> space = LinearRgb(e, linear);
  if (!space) return std::nullopt;
  step.linearRgb = *space;
  const auto input = [&](const XmlElement& from, std::string_view attribute) {
    const std::optional<int> in = StepInput(from, attribute, results);
    if (in) step.inputs.push_back(*in);
    return in.has_value();
  };
  const auto number = [&](std::string_view name, float& out) {
    const std::string* v = e.attribute("", name);
    std::string_view rest = v ? std::string_view(*v) : "0";
    const std::optional<double> n = TakeNumber(rest);
    out = n ? float(*n) : 0;
    return n && TrimmedBlanks(rest).empty();
  };
  const std::string* mode = e.attribute("", e.name == "feBlend" ? "mode" : "edgeMode");
  if (e.name == "feGaussianBlur") {
    const std::string* text = e.attribute("", "stdDeviation");
    const std::optional<std::vector<double>> d = Numbers(text ? std::string_view(*text) : "0", 2);
    if (!d || d->empty() || d->front() < 0 || d->back() < 0 || (mode && *mode != "none") || !input(e, "in")) return std::nullopt;
    step.dx = float(d->front()), step.dy = float(d->back());
  } else if (e.name == "feOffset") {
    step.kind = FilterStep::Kind::Offset;
    if (!number("dx", step.dx) || !number("dy", step.dy) || !input(e, "in")) return std::nullopt;
  } else if (e.name == "feFlood") {
    step.kind = FilterStep::Kind::Flood;
    const std::optional<std::uint32_t> colour = ColourProperty(e, "flood-color", "flood-opacity");
    if (!colour) return std::nullopt;
    step.argb = *colour;
  } else if (e.name == "feComposite" || e.name == "feBlend") {
    // feBlend's normal mode lays in over in2, as feComposite's over does.
    step.kind = FilterStep::Kind::Composite;
    using Op = FilterStep::Operator;
    static constexpr std::pair<std::string_view, Op> kOperators[] = {{"over", Op::Over}, {"in", Op::In},
                                                                      {"out", Op::Out},   {"atop", Op::Atop},
                                                                      {"xor", Op::Xor},   {"arithmetic", Op::Arithmetic}};
    const std::string* op = e.attribute("", "operator");
    const std::string_view name = op ? std::string_view(*op) : "over";
    const auto* found =
        std::find_if(std::begin(kOperators), std::end(kOperators), [&](const auto& o) { return o.first == name; });
    if (e.name == "feBlend" ? mode && *mode != "normal" : found == std::end(kOperators)) return std::nullopt;
    if (e.name == "feComposite") step.op = found->second;
    if (!input(e, "in") || !input(e, "in2")) return std::nullopt;
    if (!number("k1", step.k[0]) || !number("k2", step.k[1]) || !number("k3", step.k[2]) || !number("k4", step.k[3])) {
      return std::nullopt;
    }
  } else if (e.name == "feMerge") {
    step.kind = FilterStep::Kind::Merge;
    for (const XmlElement& node : e.children) {
      if (!node.is(kSvg, "feMergeNode")) continue;
      if (step.inputs.size() >= kMaxFilterPrimitives || !input(node, "in")) return std::nullopt;
    }
  } else if (e.name == "feColorMatrix") {
    step.kind = FilterStep::Kind::ColorMatrix;
    if (!ColourMatrix(e, step.matrix) || !input(e, "in")) return std::nullopt;
  } else {
    return std::nullopt;
  }
  return step;
}

class Reader {
 public:
  Reader(const XmlElement& root, const std::function<bool()>& keepGoing) : keepGoing_(keepGoing), pacer_(keepGoing) {
    index(root);
  }

  std::optional<Drawing> read(const XmlElement& root);
  // Why read gave nothing, when it was for the limits or keepGoing.
  SvgRefusal refusal() const { return pacer_.stopped() ? SvgRefusal::Cancelled : refusal_; }

 private:
  void index(const XmlElement& e) {
    if (const std::string* id = e.attribute("", "id")) ids_.emplace(*id, &e);
    for (const XmlElement& child : e.children) index(child);
  }
  const XmlElement* byId(const std::string& id) const {
    const auto found = ids_.find(id);
    return found == ids_.end() ? nullptr : found->second;
  }

  bool styleOf(const XmlElement& e, Style& style, Own& own) const;
  bool element(const XmlElement& e, const Style& parent, std::vector<DrawingNode>& into);
  std::optional<DrawingPaint> paint(const PaintSpec& spec, const Style& style);
  std::optional<DrawingGradient> gradient(const XmlElement& e);
  std::optional<DrawingNode> clipNode(const std::string& id);
  std::optional<DrawingRegion> region(const XmlElement& e, std::string_view unitsName) const;
  std::shared_ptr<const DrawingMask> mask(const std::string& id);
  std::shared_ptr<const DrawingFilter> filter(const std::string& id);
  bool image(const XmlElement& e, std::vector<DrawingNode>& into);

  const std::function<bool()>& keepGoing_;
  Pacer pacer_;
  IdIndex ids_;
  SvgRefusal refusal_ = SvgRefusal::Other;
  std::vector<const XmlElement*> uses_;   // the use elements being expanded
  std::vector<const XmlElement*> masks_;  // the masks whose content is being read
  std::unordered_map<const XmlElement*, std::shared_ptr<const RgbaImage>> images_;  // decoded once each
  double imagePixels_ = kMaxImagePixels;  // left for the pictures decoded
  std::size_t elements_ = 0;
  std::size_t budget_ = kMaxPathCommands;  // commands left for the document's paths and clip paths
  Viewport viewport_;
};

bool Reader::styleOf(const XmlElement& e, Style& style, Own& own) const {
  const double diagonal = viewport_.diagonal();
  return ForEachProperty(e, [&](std::string_view name, std::string_view value) {
    return ApplyProperty(name, value, style, own, diagonal);
  });
}

// The gradient's attributes and stops, each from the first gradient along
// the href chain that has them.
std::optional<DrawingGradient> Reader::gradient(const XmlElement& e) {
  std::vector<const XmlElement*> chain{&e};
  for (const XmlElement* at = &e; chain.size() <= kMaxGradientLinks;) {
    const std::string* href = Href(*at);
    if (!href || !href->starts_with("#")) break;
    at = byId(href->substr(1));
    if (!at || at->uri != kSvg || (at->name != "linearGradient" && at->name != "radialGradient")) break;
    if (std::find(chain.begin(), chain.end(), at) != chain.end()) return std::nullopt;  // a cycle
    chain.push_back(at);
  }
  const auto attribute = [&](std::string_view name) -> const std::string* {
    for (const XmlElement* g : chain) {
      if (const std::string* v = g->attribute("", name)) return v;
    }
    return nullptr;
  };
  DrawingGradient g;
  const std::string* units = attribute("gradientUnits");
  g.boundingBoxUnits = !units || *units != "userSpaceOnUse";
  // Bounding-box units are fractions; user-space ones lengths (percentages of the viewport).
  const auto coordinate = [&](std::string_view name, const char* fallback, double base) -> std::optional<double> {
    const std::string* v = attribute(name);
    const std::string_view text = v ? std::string_view(*v) : std::string_view(fallback);
    return g.boundingBoxUnits ? Fraction(text) : Length(text, base);
  };
  const bool linear = e.name == "linearGradient";
  g.type = linear ? DrawingGradient::Type::Linear : DrawingGradient::Type::Radial;
  const double width = viewport_.width, height = viewport_.height, diagonal = viewport_.diagonal();
  if (linear) {
    const auto x1 = coordinate("x1", "0%", width), y1 = coordinate("y1", "0%", height);
    const auto x2 = coordinate("x2", "100%", width), y2 = coordinate("y2", "0%", height);
    if (!x1 || !y1 || !x2 || !y2) return std::nullopt;
    g.startX = float(*x1), g.startY = float(*y1), g.endX = float(*x2), g.endY = float(*y2);
  } else {
    const auto cx = coordinate("cx", "50%", width), cy = coordinate("cy", "50%", height);
    const auto r = coordinate("r", "50%", diagonal);
    if (!cx || !cy || !r) return std::nullopt;
    g.centerX = float(*cx), g.centerY = float(*cy), g.radius = float(*r);
    const std::string* fx = attribute("fx");
    const std::string* fy = attribute("fy");
    if (fx || fy) {
      const auto x = fx ? coordinate("fx", "", width) : cx, y = fy ? coordinate("fy", "", height) : cy;
      if (!x || !y) return std::nullopt;
      g.hasFocus = true;
      g.focusX = float(*x), g.focusY = float(*y);
    }
  }
  if (const std::string* spread = attribute("spreadMethod")) {
    if (*spread == "reflect") g.tile = DrawingGradient::Tile::Mirror;
    else if (*spread == "repeat") g.tile = DrawingGradient::Tile::Repeat;
    else if (*spread != "pad") return std::nullopt;
  }
  if (const std::string* transform = attribute("gradientTransform")) {
    const std::optional<Matrix> m = Transform(*transform);
    if (!m) return std::nullopt;
    for (int i = 0; i < 6; ++i) g.transform[i] = float((*m)[i]);
  }
  for (const XmlElement* source : chain) {
    for (const XmlElement& stop : source->children) {
      if (stop.uri != kSvg || stop.name != "stop") continue;
      GradientStop s;
      const std::string* offset = stop.attribute("", "offset");
      const std::optional<double> at = Fraction(offset ? std::string_view(*offset) : "0");
      if (!at) return std::nullopt;
      s.offset = float(std::clamp(*at, 0.0, 1.0));
      const std::optional<std::uint32_t> colour = ColourProperty(stop, "stop-color", "stop-opacity");
      if (!colour) return std::nullopt;
      s.argb = *colour;
      g.stops.push_back(s);
    }
    if (!g.stops.empty()) break;
  }
  return g;
}

std::optional<DrawingPaint> Reader::paint(const PaintSpec& spec, const Style& style) {
  DrawingPaint out;
  switch (spec.kind) {
    case PaintSpec::Kind::None: return out;
    case PaintSpec::Kind::Colour: out.kind = DrawingPaint::Kind::Solid, out.argb = spec.argb; return out;
    case PaintSpec::Kind::Current: out.kind = DrawingPaint::Kind::Solid, out.argb = style.colour; return out;
    case PaintSpec::Kind::Url: break;
  }
  const XmlElement* target = byId(spec.id);
  if (!target || target->uri != kSvg || (target->name != "linearGradient" && target->name != "radialGradient")) {
    // A pattern, or anything else that paints, cannot be drawn here.
    if (target && target->uri == kSvg) return std::nullopt;
    if (spec.fallback) out.kind = DrawingPaint::Kind::Solid, out.argb = *spec.fallback;
    return out;
  }
  std::optional<DrawingGradient> g = gradient(*target);
  if (!g) return std::nullopt;
  if (g->stops.empty()) return out;  // nothing painted
  if (g->stops.size() == 1) {
    out.kind = DrawingPaint::Kind::Solid, out.argb = g->stops[0].argb;
    return out;
  }
  out.kind = DrawingPaint::Kind::Gradient;
  out.gradient = std::move(*g);
  return out;
}

// The clip path as one clip node: its shapes, each through its own and the
// clip path's transform, joined in one path.
std::optional<DrawingNode> Reader::clipNode(const std::string& id) {
  const XmlElement* clip = byId(id);
  if (!clip || clip->uri != kSvg || clip->name != "clipPath") return std::nullopt;
  if (const std::string* units = clip->attribute("", "clipPathUnits"); units && *units != "userSpaceOnUse") return std::nullopt;
  if (clip->attribute("", "clip-path")) return std::nullopt;
  Matrix outer = kIdentity;
  if (const std::string* t = clip->attribute("", "transform")) {
    const std::optional<Matrix> m = Transform(*t);
    if (!m) return std::nullopt;
    outer = *m;
  }
  DrawingNode node;
  node.kind = DrawingNode::Kind::ClipPath;
  Style clipStyle;
  Own clipOwn;
  if (!styleOf(*clip, clipStyle, clipOwn)) return std::nullopt;
  int shapes = 0;
  // The shapes, and shapes a `use` places, each by every transform above
  // it. A clip path takes nothing from a group, directly or through a use:
  // such content adds nothing, as other renderers have it.
  const std::function<bool(const XmlElement&, const Style&, const Matrix&, bool)> add =
      [&](const XmlElement& e, const Style& inherited, const Matrix& above, bool used) -> bool {
    if (e.uri != kSvg || e.name == "title" || e.name == "desc") return true;
    if (++elements_ > kMaxSvgElements) return false;
    Style style = inherited;
    Own own;
    if (!styleOf(e, style, own)) return false;
    if (own.displayNone || style.hidden) return true;
    if (!own.clipId.empty()) return false;
    Matrix m = above;
    if (const std::string* t = e.attribute("", "transform")) {
      const std::optional<Matrix> local = Transform(*t);
      if (!local) return false;
      m = Then(*local, above);
    }
    if (e.name == "g") return true;
    if (e.name == "use" && !used) {
      const std::string* href = Href(e);
      if (!href || !href->starts_with("#")) return !href;
      const XmlElement* target = byId(href->substr(1));
      if (!target) return true;
      const auto x = AttributeLength(e, "x", 0, viewport_.width), y = AttributeLength(e, "y", 0, viewport_.height);
      if (!x || !y) return false;
      Matrix shift = kIdentity;
      shift[4] = *x, shift[5] = *y;
      return add(*target, style, Then(shift, m), true);
    }
    if (!IsShape(e.name)) return false;
    const std::optional<std::vector<PathCommand>> shape = ShapePath(e, viewport_, budget_);
    if (!shape || !AppendPlaced(*shape, m, node.path.commands)) return false;
    node.path.evenOdd = style.clipEvenOdd;
    ++shapes;
    return true;
  };
  for (const XmlElement& child : clip->children) {
    if (!add(child, clipStyle, outer, false)) return std::nullopt;
  }
  // Shapes joined in one path make their union only under nonzero.
  if (shapes > 1) node.path.evenOdd = false;
  return node;
}

// A mask's or filter's region: x, y, width, height in the units its
// `unitsName` attribute names (fractions of the bounds unless it says
// userSpaceOnUse); -10 %, -10 %, 120 %, 120 % where not given.
std::optional<DrawingRegion> Reader::region(const XmlElement& e, std::string_view unitsName) const {
  const std::string* units = e.attribute("", unitsName);
  if (units && *units != "objectBoundingBox" && *units != "userSpaceOnUse") return std::nullopt;
  DrawingRegion r;
  r.inBounds = !units || *units == "objectBoundingBox";
  const auto value = [&](std::string_view name, std::string_view fallback, double base, float& out) {
    const std::string* v = e.attribute("", name);
    const std::string_view text = v ? std::string_view(*v) : fallback;
    const std::optional<double> n = r.inBounds ? Fraction(text) : Length(text, base);
    out = n ? float(*n) : 0;
    return n.has_value();
  };
  if (!value("x", "-10%", viewport_.width, r.x) || !value("y", "-10%", viewport_.height, r.y) ||
      !value("width", "120%", viewport_.width, r.width) || !value("height", "120%", viewport_.height, r.height)) {
    return std::nullopt;
  }
  return r;
}

// The mask element's content, read with the mask's own style (its content
// inherits from the mask, not from what it masks). A mask met again within
// its own content, or deeper than kMaxEffectDepth in others', refuses it.
std::shared_ptr<const DrawingMask> Reader::mask(const std::string& id) {
  const XmlElement* e = byId(id);
  if (!e || !e->is(kSvg, "mask") || int(masks_.size()) >= kMaxEffectDepth) return nullptr;
  if (std::find(masks_.begin(), masks_.end(), e) != masks_.end()) return nullptr;
  auto out = std::make_shared<DrawingMask>();
  const std::optional<DrawingRegion> r = region(*e, "maskUnits");
  const std::string* contentUnits = e->attribute("", "maskContentUnits");
  if (!r || (contentUnits && *contentUnits != "userSpaceOnUse" && *contentUnits != "objectBoundingBox")) return nullptr;
  out->region = *r;
  out->contentInBounds = contentUnits && *contentUnits == "objectBoundingBox";
  Style style;
  Own own;
  const double diagonal = viewport_.diagonal();
  const bool styled = ForEachProperty(*e, [&](std::string_view name, std::string_view value) {
    if (name != "mask-type") return ApplyProperty(name, value, style, own, diagonal);
    value = TrimmedBlanks(value);
    out->luminance = value != "alpha";
    return value == "alpha" || value == "luminance";
  });
  if (!styled) return nullptr;
  masks_.push_back(e);
  bool ok = true;
  for (const XmlElement& child : e->children) {
    if (!(ok = element(child, style, out->content.children))) break;
  }
  masks_.pop_back();
  return ok ? out : nullptr;
}

// The filter element's steps. Nothing when a step is not drawn here, or
// the filter takes its steps' numbers in fractions of the bounds or its
// steps from another filter.
std::shared_ptr<const DrawingFilter> Reader::filter(const std::string& id) {
  const XmlElement* e = byId(id);
  if (!e || !e->is(kSvg, "filter") || Href(*e)) return nullptr;
  const std::string* stepUnits = e->attribute("", "primitiveUnits");
  const std::optional<DrawingRegion> r = region(*e, "filterUnits");
  const std::optional<bool> linear = LinearRgb(*e, true);
  if ((stepUnits && *stepUnits != "userSpaceOnUse") || !r || !linear) return nullptr;
  auto out = std::make_shared<DrawingFilter>();
  out->region = *r;
  std::vector<std::string> results;  // each step's result name
  for (const XmlElement& child : e->children) {
    if (child.uri != kSvg || child.name == "title" || child.name == "desc") continue;
    if (++elements_ > kMaxSvgElements || out->steps.size() >= kMaxFilterPrimitives) return nullptr;
    std::optional<FilterStep> step = Step(child, results, *linear);
    if (!step) return nullptr;
    out->steps.push_back(std::move(*step));
    const std::string* result = child.attribute("", "result");
    results.push_back(result ? *result : std::string());
  }
  return out;
}

// An image element's picture: a PNG in a data URL (the one kind decoded
// here), placed in its box as preserveAspectRatio fits it. False for
// another kind, a damaged or oversized picture, a slice, or a file named:
// no file outside the document is read.
bool Reader::image(const XmlElement& e, std::vector<DrawingNode>& into) {
  const std::string* href = Href(e);
  if (!href) return true;  // nothing to draw
  std::shared_ptr<const RgbaImage>& pixels = images_[&e];
  if (!pixels) {
    const std::optional<Bytes> png = DataUrlBytes(*href, "image/png");
    RgbaImage decoded = png ? DecodePng(*png) : RgbaImage();
    imagePixels_ -= double(decoded.width) * decoded.height;
    if (decoded.empty() || imagePixels_ < 0) return false;
    pixels = std::make_shared<const RgbaImage>(std::move(decoded));
  }
  const auto x = AttributeLength(e, "x", 0, viewport_.width), y = AttributeLength(e, "y", 0, viewport_.height);
  const auto width = AttributeLength(e, "width", pixels->width, viewport_.width);
  const auto height = AttributeLength(e, "height", pixels->height, viewport_.height);
  if (!x || !y || !width || !height || *width < 0 || *height < 0) return false;
  bool slice = false;
  const std::optional<Matrix> fit =
      FitBox(e.attribute("", "preserveAspectRatio"), *width, *height, pixels->width, pixels->height, slice);
  if (!fit || slice) return false;
  DrawingNode node;
  node.kind = DrawingNode::Kind::Image;
  node.image = {pixels, float(*x + (*fit)[4]), float(*y + (*fit)[5]), float(pixels->width * (*fit)[0]),
                float(pixels->height * (*fit)[3])};
  into.push_back(std::move(node));
  return true;
}

bool Reader::element(const XmlElement& e, const Style& parent, std::vector<DrawingNode>& into) {
  if (e.uri != kSvg) return true;  // an editor's own element
  if (DrawsNothingInPlace(e.name)) return true;
  if (++elements_ > kMaxSvgElements || !pacer_.step()) return false;
  Style style = parent;
  Own own;
  if (!styleOf(e, style, own)) return false;
  if (own.displayNone) return true;

  DrawingGroup group;
  if (const std::string* t = e.attribute("", "transform")) {
    const std::optional<Matrix> m = Transform(*t);
    if (!m) return false;
    group.hasMatrix = true;
    for (int i = 0; i < 6; ++i) group.matrix[i] = float((*m)[i]);
  }
  group.opacity = float(own.opacity);
  if (!own.clipId.empty()) {
    std::optional<DrawingNode> clip = clipNode(own.clipId);
    if (!clip) return false;
    group.children.push_back(std::move(*clip));
  }
  if (!own.maskId.empty() && !(group.mask = mask(own.maskId))) return false;
  // A filter works on what the element draws before its clip path cuts it:
  // that goes in a group of its own inside the clipped one.
  DrawingGroup filtered;
  if (!own.filterId.empty() && !(filtered.filter = filter(own.filterId))) return false;
  std::vector<DrawingNode>& content = filtered.filter ? filtered.children : group.children;

  if (e.name == "g" || e.name == "a") {
    for (const XmlElement& child : e.children) {
      if (!element(child, style, content)) return false;
    }
  } else if (e.name == "image") {
    if (!style.hidden && !image(e, content)) return false;
  } else if (e.name == "use") {
    const std::string* href = Href(e);
    if (!href || !href->starts_with("#")) return !href;  // no target draws nothing; another document is refused
    const XmlElement* target = byId(href->substr(1));
    if (!target) return true;
    if (target->uri == kSvg && (target->name == "symbol" || target->name == "svg")) return false;
    if (std::find(uses_.begin(), uses_.end(), &e) != uses_.end() || int(uses_.size()) >= kMaxSvgUseDepth) return false;
    const auto x = AttributeLength(e, "x", 0, viewport_.width), y = AttributeLength(e, "y", 0, viewport_.height);
    if (!x || !y) return false;
    DrawingGroup placed;
    placed.hasMatrix = true;
    placed.matrix[4] = float(*x), placed.matrix[5] = float(*y);
    uses_.push_back(&e);
    const bool ok = element(*target, style, placed.children);
    uses_.pop_back();
    if (!ok) return false;
    DrawingNode node;
    node.kind = DrawingNode::Kind::Group;
    node.group = std::move(placed);
    content.push_back(std::move(node));
  } else {
    if (!IsShape(e.name)) return false;  // paints, unread
    if (style.hidden) return true;
    DrawingNode node;
    DrawingPath& path = node.path;
    const std::optional<DrawingPaint> fill = paint(style.fill, style), stroke = paint(style.stroke, style);
    if (!fill || !stroke) return false;
    path.fill = *fill;
    path.stroke = style.strokeWidth > 0 ? *stroke : DrawingPaint();
    path.fillAlpha = float(style.fillOpacity), path.strokeAlpha = float(style.strokeOpacity);
    path.strokeWidth = float(style.strokeWidth), path.strokeMiterLimit = float(style.miterLimit);
    path.evenOdd = style.evenOdd, path.cap = style.cap, path.join = style.join;
    path.dashes = style.dashes, path.dashOffset = float(style.dashOffset);
    if (path.fill.kind == DrawingPaint::Kind::None && path.stroke.kind == DrawingPaint::Kind::None) return true;
    // A shape is made a path only when it is drawn: one that is hidden or
    // paints nothing is passed over unread, and counts against no limit.
    std::optional<std::vector<PathCommand>> commands = ShapePath(e, viewport_, budget_);
    if (!commands || !pacer_.step(commands->size() / 64)) return false;
    path.commands = std::move(*commands);
    content.push_back(std::move(node));
  }
  if (filtered.filter) {
    DrawingNode node;
    node.kind = DrawingNode::Kind::Group;
    node.group = std::move(filtered);
    group.children.push_back(std::move(node));
  }
  // A plain group adds no level of its own.
  if (!group.hasMatrix && group.opacity >= 1 && own.clipId.empty() && !group.mask) {
    for (DrawingNode& child : group.children) into.push_back(std::move(child));
    return true;
  }
  DrawingNode node;
  node.kind = DrawingNode::Kind::Group;
  node.group = std::move(group);
  into.push_back(std::move(node));
  return true;
}

std::optional<Drawing> Reader::read(const XmlElement& root) {
  if (!root.is(kSvg, "svg")) return std::nullopt;
  std::optional<std::vector<double>> box;
  if (const std::string* viewBox = root.attribute("", "viewBox")) {
    box = Numbers(*viewBox, 4);
    if (!box || box->size() != 4 || !((*box)[2] > 0) || !((*box)[3] > 0)) return std::nullopt;
  }
  const std::string* widthText = root.attribute("", "width");
  const std::string* heightText = root.attribute("", "height");
  const auto size = [&](const std::string* text, double fromBox) -> std::optional<double> {
    // A percentage or no size at all: the view box's own.
    if (!text || TrimmedBlanks(*text).ends_with("%")) return box ? std::optional<double>(fromBox) : std::nullopt;
    return Length(*text);
  };
  const std::optional<double> width = size(widthText, box ? (*box)[2] : 0);
  const std::optional<double> height = size(heightText, box ? (*box)[3] : 0);
  if (!width || !height || !(*width > 0) || !(*height > 0)) return std::nullopt;
  viewport_.width = box ? (*box)[2] : *width;
  viewport_.height = box ? (*box)[3] : *height;
  // Everything is counted before anything is read: a document beyond the
  // limits is refused without one element expanded.
  switch (CountSvgCost(root, ids_, viewport_, keepGoing_)) {
    case CostVerdict::Within: break;
    case CostVerdict::Beyond: refusal_ = SvgRefusal::BeyondLimits; return std::nullopt;
    case CostVerdict::Cancelled: refusal_ = SvgRefusal::Cancelled; return std::nullopt;
    case CostVerdict::Refused: return std::nullopt;
  }

  Drawing drawable;
  drawable.widthDp = float(*width), drawable.heightDp = float(*height);
  drawable.viewportWidth = float(*width), drawable.viewportHeight = float(*height);
  DrawingGroup& top = drawable.root;
  if (box) {
    bool slice = false;
    const std::optional<Matrix> fit =
        FitBox(root.attribute("", "preserveAspectRatio"), *width, *height, (*box)[2], (*box)[3], slice);
    if (!fit) return std::nullopt;
    top.hasMatrix = true;
    const Matrix m = Then({1, 0, 0, 1, -(*box)[0], -(*box)[1]}, *fit);
    for (int i = 0; i < 6; ++i) top.matrix[i] = float(m[i]);
  }
  Style style;
  Own own;
  // A clip, mask or filter on the outermost element is not drawn here.
  if (!styleOf(root, style, own) || !own.clipId.empty() || !own.maskId.empty() || !own.filterId.empty()) {
    return std::nullopt;
  }
  drawable.alpha = float(own.opacity);
  for (const XmlElement& child : root.children) {
    if (!element(child, style, top.children)) return std::nullopt;
  }
  return drawable;
}

// Elements whose presence refuses the document wherever they are: a style
// sheet restyles everything. (Text, images and the like are refused where
// they would be drawn; in a hidden layer they do not matter.)
bool HasRefusedElement(const XmlElement& e) {
  static constexpr std::string_view kRefused[] = {"style", "script"};
  for (const XmlElement& child : e.children) {
    if (child.uri == kSvg && std::find(std::begin(kRefused), std::end(kRefused), child.name) != std::end(kRefused)) {
      return true;
    }
    if (HasRefusedElement(child)) return true;
  }
  return false;
}

// What in the document a user can be told it uses and is not drawn: the
// first in the document's order, depth first; a filter step the reader
// lacks counts as "a filter".
std::string RefusedFeature(const XmlElement& root) {
  static constexpr struct {
    std::string_view element, feature;
  } kFeatures[] = {
      {"text", "text"}, {"style", "a style sheet"}, {"script", "a script"}, {"foreignObject", "foreign content"},
      {"pattern", "a pattern"}, {"marker", "markers"},
  };
  static constexpr std::string_view kPrimitives[] = {"feGaussianBlur", "feOffset", "feFlood", "feComposite",
                                                     "feBlend", "feMerge", "feMergeNode", "feColorMatrix"};
  std::string found;
  const std::function<void(const XmlElement&)> walk = [&](const XmlElement& e) {
    for (const XmlElement& child : e.children) {
      if (!found.empty()) return;
      if (child.uri == kSvg) {
        for (const auto& f : kFeatures) {
          if (child.name == f.element) found = f.feature;
        }
        if (child.name.starts_with("fe") &&
            std::find(std::begin(kPrimitives), std::end(kPrimitives), child.name) == std::end(kPrimitives))
          found = "a filter (" + child.name + ")";
      }
      if (found.empty()) walk(child);
    }
  };
  walk(root);
  return found;
}

std::optional<XmlElement> ReadSvgTree(std::string_view xml) {
  XmlLimits limits;
  limits.maxBytes = kMaxSvgBytes;
  limits.maxDepth = 2 * kMaxDrawableDepth;
  return ReadXmlTree(xml, limits);
}

// The drawing, or why there is none.
struct Reading {
  std::optional<Drawing> drawing;
  SvgRefused refused;
};

Reading Read(std::string_view xml, const std::function<bool()>& keepGoing) {
  const std::optional<XmlElement> root = ReadSvgTree(xml);
  if (!root) return {std::nullopt, {SvgRefusal::Other, {}}};
  Reading out;
  if (!HasRefusedElement(*root)) {
    Reader reader(*root, keepGoing);
    out.drawing = reader.read(*root);
    if (out.drawing) return out;
    out.refused.why = reader.refusal();
    if (out.refused.why == SvgRefusal::BeyondLimits || out.refused.why == SvgRefusal::Cancelled) return out;
  }
  out.refused.feature = RefusedFeature(*root);
  out.refused.why = out.refused.feature.empty() ? SvgRefusal::Other : SvgRefusal::Feature;
  return out;
}

}  // namespace
}  // namespace svg

std::optional<Drawing> ReadSvgDocument(std::string_view xml, const std::function<bool()>& keepGoing) {
  return svg::Read(xml, keepGoing).drawing;
}

SvgPicture DrawSvgIcon(std::string_view xml, int side, const std::function<bool()>& keepGoing) {
  svg::Reading reading = svg::Read(xml, keepGoing);
  SvgPicture out;
  if (!reading.drawing) {
    out.refused = std::move(reading.refused);
    return out;
  }
  out.image = RenderVectorIcon(*reading.drawing, side ? side : kSvgIconPixels, keepGoing);
  // What the reader took, the renderer refuses for what drawing it would
  // cost (draw/Drawing.h's limits) or when told to stop; the odd value it
  // does not take (a radial gradient of no radius) is told as a limit too.
  if (out.image.pixels.empty()) {
    out.refused.why = keepGoing && !keepGoing() ? SvgRefusal::Cancelled : SvgRefusal::BeyondLimits;
  }
  return out;
}

RgbaImage RenderSvgIcon(std::string_view xml, int side) { return DrawSvgIcon(xml, side).image; }

std::string SvgRefusedFeature(std::string_view xml) {
  const std::optional<XmlElement> root = svg::ReadSvgTree(xml);
  return root ? svg::RefusedFeature(*root) : std::string();
}
