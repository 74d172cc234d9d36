#include "draw/SvgStyle.h"

#include <algorithm>

namespace svg {
namespace {

std::optional<PaintSpec> Paint(std::string_view text) {
  const std::string_view s = TrimmedBlanks(text);
  if (s == "none") return PaintSpec{};
  // The paint of the element a marker or use draws for; with no such
  // context here, the current colour stands in for it.
  if (s == "currentColor" || s == "context-fill" || s == "context-stroke") return Spec(PaintSpec::Kind::Current);
  if (s.starts_with("url(")) {
    const std::size_t close = s.find(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view ref = TrimmedBlanks(s.substr(4, close - 4));
    if (ref.size() >= 2 && (ref.front() == '"' || ref.front() == '\'') && ref.back() == ref.front()) ref = ref.substr(1, ref.size() - 2);
    // Only a fragment of this document: anything else would be fetched.
    if (!ref.starts_with("#")) return std::nullopt;
    PaintSpec spec = Spec(PaintSpec::Kind::Url);
    spec.id = ref.substr(1);
    const std::string_view rest = TrimmedBlanks(s.substr(close + 1));
    if (rest == "none") spec.fallbackNone = true;
    else if (!rest.empty()) {
      spec.fallback = Colour(rest);
      if (!spec.fallback) return std::nullopt;
    }
    return spec;
  }
  const std::optional<std::uint32_t> colour = Colour(s);
  if (!colour) return std::nullopt;
  return Spec(PaintSpec::Kind::Colour, *colour);
}

// The reference inside url(#id), for clip-path, mask and filter; empty for
// none.
std::optional<std::string> UrlId(std::string_view text) {
  const std::string_view s = TrimmedBlanks(text);
  if (s == "none") return std::string();
  const std::optional<PaintSpec> spec = Paint(s);
  if (!spec || spec->kind != PaintSpec::Kind::Url || spec->fallback || spec->fallbackNone) return std::nullopt;
  return spec->id;
}

}  // namespace

std::optional<double> Opacity(std::string_view s) {
  const std::optional<double> v = Fraction(s);
  if (!v) return std::nullopt;
  return std::clamp(*v, 0.0, 1.0);
}

bool ApplyProperty(std::string_view name, std::string_view value, Style& style, Own& own, double diagonal) {
  value = TrimmedBlanks(value);
  if (value == "inherit") return true;
  if (name == "fill" || name == "stroke") {
    const std::optional<PaintSpec> paint = Paint(value);
    if (!paint) return false;
    (name == "fill" ? style.fill : style.stroke) = *paint;
  } else if (name == "color") {
    const std::optional<std::uint32_t> colour = Colour(value);
    if (!colour) return false;
    style.colour = *colour;
  } else if (name == "fill-opacity" || name == "stroke-opacity" || name == "opacity") {
    // The context's opacity, like its paint, has nothing to come from.
    const std::optional<double> v = value.starts_with("context-") ? 1.0 : Opacity(value);
    if (!v) return false;
    (name == "opacity" ? own.opacity : name == "fill-opacity" ? style.fillOpacity : style.strokeOpacity) = *v;
  } else if (name == "stroke-width") {
    const std::optional<double> v = Length(value, diagonal);
    if (!v || *v < 0) return false;
    style.strokeWidth = *v;
  } else if (name == "stroke-miterlimit") {
    std::string_view s = value;
    const std::optional<double> v = TakeNumber(s);
    if (!v || !TrimmedBlanks(s).empty()) return false;
    style.miterLimit = *v;
  } else if (name == "stroke-linecap") {
    if (value == "butt") style.cap = DrawingPath::Cap::Butt;
    else if (value == "round") style.cap = DrawingPath::Cap::Round;
    else if (value == "square") style.cap = DrawingPath::Cap::Square;
    else return false;
  } else if (name == "stroke-linejoin") {
    if (value == "miter" || value == "miter-clip") style.join = DrawingPath::Join::Miter;
    else if (value == "round") style.join = DrawingPath::Join::Round;
    else if (value == "bevel") style.join = DrawingPath::Join::Bevel;
    else return false;
  } else if (name == "fill-rule" || name == "clip-rule") {
    if (value != "nonzero" && value != "evenodd") return false;
    (name == "fill-rule" ? style.evenOdd : style.clipEvenOdd) = value == "evenodd";
  } else if (name == "display") {
    own.displayNone = value == "none";
  } else if (name == "visibility") {
    style.hidden = value == "hidden" || value == "collapse";
  } else if (name == "clip-path" || name == "mask" || name == "filter") {
    const std::optional<std::string> id = UrlId(value);
    if (!id) return false;
    (name == "clip-path" ? own.clipId : name == "mask" ? own.maskId : own.filterId) = *id;
  } else if (name == "stroke-dasharray") {
    style.dashes.clear();
    if (value == "none") return true;
    const std::optional<std::vector<double>> lengths = Numbers(value, kMaxDashes / 2);
    if (!lengths || lengths->empty()) return false;
    double total = 0;
    for (double d : *lengths) {
      if (d < 0) return false;
      total += d;
    }
    if (total == 0) return true;  // all zero: a solid stroke
    // An odd list is repeated to make it even.
    for (int copy = 0; copy < (lengths->size() % 2 ? 2 : 1); ++copy) {
      for (double d : *lengths) style.dashes.push_back(float(d));
    }
  } else if (name == "stroke-dashoffset") {
    const std::optional<double> v = Length(value, diagonal);
    if (!v) return false;
    style.dashOffset = *v;
  } else if (name == "marker" || name == "marker-start" || name == "marker-mid" || name == "marker-end") {
    // Effects the model cannot draw: refused where they are in use.
    return value == "none";
  }
  return true;  // a property that does not change what is painted (fonts, editors' own)
}

}  // namespace svg
