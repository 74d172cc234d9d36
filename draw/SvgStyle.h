#pragma once
// The SVG reader's styles: paints and the properties that decide how a
// shape is filled, stroked, clipped and shown, from presentation attributes
// and the style attribute. Style is what children inherit, Own what applies
// to the element alone.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw/Drawing.h"
#include "draw/SvgValues.h"
#include "support/XmlTree.h"

namespace svg {

struct PaintSpec {
  enum class Kind { None, Colour, Current, Url };
  Kind kind = Kind::None;
  std::uint32_t argb = 0;
  std::string id;                 // Url
  std::optional<std::uint32_t> fallback;  // Url: the colour after it
  bool fallbackNone = false;
};

inline PaintSpec Spec(PaintSpec::Kind kind, std::uint32_t argb = 0) {
  PaintSpec spec;
  spec.kind = kind;
  spec.argb = argb;
  return spec;
}

// What children inherit.
struct Style {
  PaintSpec fill = Spec(PaintSpec::Kind::Colour, 0xFF000000u);
  PaintSpec stroke;
  std::uint32_t colour = 0xFF000000u;
  double fillOpacity = 1, strokeOpacity = 1, strokeWidth = 1, miterLimit = 4;
  bool evenOdd = false, clipEvenOdd = false, hidden = false;
  std::vector<float> dashes;
  double dashOffset = 0;
  DrawingPath::Cap cap = DrawingPath::Cap::Butt;
  DrawingPath::Join join = DrawingPath::Join::Miter;
};

// What applies to the element alone.
struct Own {
  double opacity = 1;
  bool displayNone = false;
  std::string clipId;    // clip-path="url(#id)"
  std::string maskId;    // mask="url(#id)"
  std::string filterId;  // filter="url(#id)"
};

// Applies one property; false for a value that refuses the document.
// `diagonal` is the viewport's, for percentages of stroke lengths.
bool ApplyProperty(std::string_view name, std::string_view value, Style& style, Own& own, double diagonal);
// An opacity, clamped to 0..1.
std::optional<double> Opacity(std::string_view s);

// Hands each property of the element to apply(name, value): its
// presentation attributes first, then the declarations of its style
// attribute, which override them ("!important" dropped). False as soon as
// apply refuses one.
template <typename Apply>
bool ForEachProperty(const XmlElement& e, Apply apply) {
  for (const XmlAttribute& a : e.attributes) {
    if (a.uri.empty() && a.name != "style" && !apply(std::string_view(a.name), std::string_view(a.value))) return false;
  }
  const std::string* css = e.attribute("", "style");
  std::string_view rest = css ? std::string_view(*css) : std::string_view();
  while (!rest.empty()) {
    const std::size_t semicolon = rest.find(';');
    const std::string_view declaration = rest.substr(0, semicolon);
    rest = semicolon == std::string_view::npos ? std::string_view() : rest.substr(semicolon + 1);
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view value = declaration.substr(colon + 1);
    if (const std::size_t bang = value.find('!'); bang != std::string_view::npos) value = value.substr(0, bang);
    if (!apply(TrimmedBlanks(declaration.substr(0, colon)), value)) return false;
  }
  return true;
}

}  // namespace svg
