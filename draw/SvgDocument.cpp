#include "draw/SvgDocument.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "draw/DrawableRender.h"
#include "draw/PathData.h"
#include "support/XmlTree.h"

namespace {

constexpr std::string_view kSvg = "http://www.w3.org/2000/svg";
constexpr std::string_view kXlink = "http://www.w3.org/1999/xlink";
// Gradients inherit through href this many steps at most.
constexpr int kMaxGradientLinks = 8;

struct NamedColour {
  std::string_view name;
  std::uint32_t rgb;
};
// CSS's colour names, sorted.
constexpr NamedColour kNamedColours[] = {
    {"aliceblue", 0xF0F8FF}, {"antiquewhite", 0xFAEBD7}, {"aqua", 0x00FFFF}, {"aquamarine", 0x7FFFD4},
    {"azure", 0xF0FFFF}, {"beige", 0xF5F5DC}, {"bisque", 0xFFE4C4}, {"black", 0x000000}, {"blanchedalmond", 0xFFEBCD},
    {"blue", 0x0000FF}, {"blueviolet", 0x8A2BE2}, {"brown", 0xA52A2A}, {"burlywood", 0xDEB887},
    {"cadetblue", 0x5F9EA0}, {"chartreuse", 0x7FFF00}, {"chocolate", 0xD2691E}, {"coral", 0xFF7F50},
    {"cornflowerblue", 0x6495ED}, {"cornsilk", 0xFFF8DC}, {"crimson", 0xDC143C}, {"cyan", 0x00FFFF},
    {"darkblue", 0x00008B}, {"darkcyan", 0x008B8B}, {"darkgoldenrod", 0xB8860B}, {"darkgray", 0xA9A9A9},
    {"darkgreen", 0x006400}, {"darkgrey", 0xA9A9A9}, {"darkkhaki", 0xBDB76B}, {"darkmagenta", 0x8B008B},
    {"darkolivegreen", 0x556B2F}, {"darkorange", 0xFF8C00}, {"darkorchid", 0x9932CC}, {"darkred", 0x8B0000},
    {"darksalmon", 0xE9967A}, {"darkseagreen", 0x8FBC8F}, {"darkslateblue", 0x483D8B}, {"darkslategray", 0x2F4F4F},
    {"darkslategrey", 0x2F4F4F}, {"darkturquoise", 0x00CED1}, {"darkviolet", 0x9400D3}, {"deeppink", 0xFF1493},
    {"deepskyblue", 0x00BFFF}, {"dimgray", 0x696969}, {"dimgrey", 0x696969}, {"dodgerblue", 0x1E90FF},
    {"firebrick", 0xB22222}, {"floralwhite", 0xFFFAF0}, {"forestgreen", 0x228B22}, {"fuchsia", 0xFF00FF},
    {"gainsboro", 0xDCDCDC}, {"ghostwhite", 0xF8F8FF}, {"gold", 0xFFD700}, {"goldenrod", 0xDAA520},
    {"gray", 0x808080}, {"green", 0x008000}, {"greenyellow", 0xADFF2F}, {"grey", 0x808080}, {"honeydew", 0xF0FFF0},
    {"hotpink", 0xFF69B4}, {"indianred", 0xCD5C5C}, {"indigo", 0x4B0082}, {"ivory", 0xFFFFF0}, {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA}, {"lavenderblush", 0xFFF0F5}, {"lawngreen", 0x7CFC00}, {"lemonchiffon", 0xFFFACD},
    {"lightblue", 0xADD8E6}, {"lightcoral", 0xF08080}, {"lightcyan", 0xE0FFFF}, {"lightgoldenrodyellow", 0xFAFAD2},
    {"lightgray", 0xD3D3D3}, {"lightgreen", 0x90EE90}, {"lightgrey", 0xD3D3D3}, {"lightpink", 0xFFB6C1},
    {"lightsalmon", 0xFFA07A}, {"lightseagreen", 0x20B2AA}, {"lightskyblue", 0x87CEFA}, {"lightslategray", 0x778899},
    {"lightslategrey", 0x778899}, {"lightsteelblue", 0xB0C4DE}, {"lightyellow", 0xFFFFE0}, {"lime", 0x00FF00},
    {"limegreen", 0x32CD32}, {"linen", 0xFAF0E6}, {"magenta", 0xFF00FF}, {"maroon", 0x800000},
    {"mediumaquamarine", 0x66CDAA}, {"mediumblue", 0x0000CD}, {"mediumorchid", 0xBA55D3}, {"mediumpurple", 0x9370DB},
    {"mediumseagreen", 0x3CB371}, {"mediumslateblue", 0x7B68EE}, {"mediumspringgreen", 0x00FA9A},
    {"mediumturquoise", 0x48D1CC}, {"mediumvioletred", 0xC71585}, {"midnightblue", 0x191970}, {"mintcream", 0xF5FFFA},
    {"mistyrose", 0xFFE4E1}, {"moccasin", 0xFFE4B5}, {"navajowhite", 0xFFDEAD}, {"navy", 0x000080},
    {"oldlace", 0xFDF5E6}, {"olive", 0x808000}, {"olivedrab", 0x6B8E23}, {"orange", 0xFFA500},
    {"orangered", 0xFF4500}, {"orchid", 0xDA70D6}, {"palegoldenrod", 0xEEE8AA}, {"palegreen", 0x98FB98},
    {"paleturquoise", 0xAFEEEE}, {"palevioletred", 0xDB7093}, {"papayawhip", 0xFFEFD5}, {"peachpuff", 0xFFDAB9},
    {"peru", 0xCD853F}, {"pink", 0xFFC0CB}, {"plum", 0xDDA0DD}, {"powderblue", 0xB0E0E6}, {"purple", 0x800080},
    {"rebeccapurple", 0x663399}, {"red", 0xFF0000}, {"rosybrown", 0xBC8F8F}, {"royalblue", 0x4169E1},
    {"saddlebrown", 0x8B4513}, {"salmon", 0xFA8072}, {"sandybrown", 0xF4A460}, {"seagreen", 0x2E8B57},
    {"seashell", 0xFFF5EE}, {"sienna", 0xA0522D}, {"silver", 0xC0C0C0}, {"skyblue", 0x87CEEB},
    {"slateblue", 0x6A5ACD}, {"slategray", 0x708090}, {"slategrey", 0x708090}, {"snow", 0xFFFAFA},
    {"springgreen", 0x00FF7F}, {"steelblue", 0x4682B4}, {"tan", 0xD2B48C}, {"teal", 0x008080}, {"thistle", 0xD8BFD8},
    {"tomato", 0xFF6347}, {"turquoise", 0x40E0D0}, {"violet", 0xEE82EE}, {"wheat", 0xF5DEB3}, {"white", 0xFFFFFF},
    {"whitesmoke", 0xF5F5F5}, {"yellow", 0xFFFF00}, {"yellowgreen", 0x9ACD32},
};

// --- numbers, lengths, colours ----------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Reads a number at the start of s (after blanks and one comma), moving s
// past it; nothing when there is none or it is not finite.
std::optional<double> TakeNumber(std::string_view& s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  if (!s.empty() && s.front() == ',') s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  s.remove_prefix(static_cast<std::size_t>(end - s.data()));
  return value;
}

std::optional<std::vector<double>> Numbers(std::string_view s, std::size_t max = 1u << 20) {
  std::vector<double> out;
  while (!Trim(s).empty()) {
    const std::optional<double> n = TakeNumber(s);
    if (!n || out.size() >= max) return std::nullopt;
    out.push_back(*n);
  }
  return out;
}

// A length in user units; a percentage of base (NaN: none allowed).
std::optional<double> Length(std::string_view text, double base = NAN) {
  std::string_view s = Trim(text);
  const std::optional<double> n = TakeNumber(s);
  if (!n) return std::nullopt;
  const std::string unit = Lower(Trim(s));
  static const std::pair<std::string_view, double> kUnits[] = {
      {"", 1}, {"px", 1}, {"pt", 4.0 / 3}, {"pc", 16}, {"mm", 96 / 25.4}, {"cm", 96 / 2.54}, {"in", 96}, {"em", 16}, {"ex", 8}};
  for (const auto& [name, factor] : kUnits) {
    if (unit == name) return *n * factor;
  }
  if (unit == "%" && std::isfinite(base)) return *n * base / 100;
  return std::nullopt;
}

// A fraction: a number, or a percentage of 1.
std::optional<double> Fraction(std::string_view text) {
  std::string_view s = Trim(text);
  const std::optional<double> n = TakeNumber(s);
  if (!n) return std::nullopt;
  s = Trim(s);
  if (s.empty()) return *n;
  if (s == "%") return *n / 100;
  return std::nullopt;
}

std::uint32_t Opaque(std::uint32_t rgb) { return 0xFF000000u | rgb; }

std::optional<std::uint32_t> HexColour(std::string_view hex) {
  std::uint32_t v = 0;
  for (char c : hex) {
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (d < 0) return std::nullopt;
    v = v << 4 | static_cast<std::uint32_t>(d);
  }
  switch (hex.size()) {
    case 3: return Opaque(((v >> 8) & 0xF) * 0x110000 + ((v >> 4) & 0xF) * 0x1100 + (v & 0xF) * 0x11);
    case 4: return (v & 0xF) * 0x11000000u + ((v >> 12) & 0xF) * 0x110000 + ((v >> 8) & 0xF) * 0x1100 + ((v >> 4) & 0xF) * 0x11;
    case 6: return Opaque(v);
    case 8: return (v & 0xFF) << 24 | v >> 8;
  }
  return std::nullopt;
}

// rgb(r, g, b) and rgba(r, g, b, a), each channel a number or a percentage.
std::optional<std::uint32_t> FunctionColour(std::string_view inside, bool withAlpha) {
  std::uint32_t channels[4] = {0, 0, 0, 255};
  std::string_view s = inside;
  for (int i = 0; i < (withAlpha ? 4 : 3); ++i) {
    std::optional<double> n = TakeNumber(s);
    if (!n) return std::nullopt;
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    double v = *n;
    if (!s.empty() && s.front() == '%') {
      s.remove_prefix(1);
      v = v * (i == 3 ? 1 : 255) / 100;
    } else if (i == 3) {
      v *= 255;
    }
    channels[i] = static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
  }
  if (!Trim(s).empty()) return std::nullopt;
  return channels[3] << 24 | channels[0] << 16 | channels[1] << 8 | channels[2];
}

std::optional<std::uint32_t> Colour(std::string_view text) {
  const std::string s = Lower(Trim(text));
  if (s.starts_with("#")) return HexColour(std::string_view(s).substr(1));
  for (const auto& [prefix, alpha] : {std::pair<std::string_view, bool>{"rgb(", false}, {"rgba(", true}}) {
    if (s.starts_with(prefix) && s.ends_with(")")) {
      return FunctionColour(std::string_view(s).substr(prefix.size(), s.size() - prefix.size() - 1), alpha);
    }
  }
  const auto* end = std::end(kNamedColours);
  const auto* found = std::lower_bound(std::begin(kNamedColours), end, s,
                                       [](const NamedColour& c, const std::string& n) { return c.name < n; });
  if (found != end && found->name == s) return Opaque(found->rgb);
  if (s == "transparent") return 0u;
  return std::nullopt;
}

// --- transforms ------------------------------------------------------------

using Matrix = std::array<double, 6>;  // a b c d e f: x' = a x + c y + e, y' = b x + d y + f
constexpr Matrix kIdentity = {1, 0, 0, 1, 0, 0};

// first, then second.
Matrix Then(const Matrix& first, const Matrix& second) {
  const auto& [a, b, c, d, e, f] = first;
  const auto& [A, B, C, D, E, F] = second;
  return {A * a + C * b, B * a + D * b, A * c + C * d, B * c + D * d, A * e + C * f + E, B * e + D * f + F};
}

PathPoint Apply(const Matrix& m, PathPoint p) { return {m[0] * p.x + m[2] * p.y + m[4], m[1] * p.x + m[3] * p.y + m[5]}; }

// A transform list: matrix, translate, scale, rotate, skewX, skewY, applied
// right to left as SVG does.
std::optional<Matrix> Transform(std::string_view s) {
  Matrix m = kIdentity;
  s = Trim(s);
  while (!s.empty()) {
    const std::size_t open = s.find('('), close = s.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
    const std::string name(Trim(s.substr(0, open)));
    const std::optional<std::vector<double>> args = Numbers(s.substr(open + 1, close - open - 1), 6);
    s = s.substr(close + 1);
    while (!s.empty() && (IsBlank(s.front()) || s.front() == ',')) s.remove_prefix(1);
    if (!args) return std::nullopt;
    const std::vector<double>& v = *args;
    const std::size_t n = v.size();
    constexpr double kRadians = 3.14159265358979323846 / 180;
    Matrix t;
    if (name == "matrix" && n == 6) {
      t = {v[0], v[1], v[2], v[3], v[4], v[5]};
    } else if (name == "translate" && (n == 1 || n == 2)) {
      t = {1, 0, 0, 1, v[0], n == 2 ? v[1] : 0};
    } else if (name == "scale" && (n == 1 || n == 2)) {
      t = {v[0], 0, 0, n == 2 ? v[1] : v[0], 0, 0};
    } else if (name == "rotate" && (n == 1 || n == 3)) {
      const double r = v[0] * kRadians, cs = std::cos(r), sn = std::sin(r);
      t = {cs, sn, -sn, cs, 0, 0};
      if (n == 3) t = Then(Then({1, 0, 0, 1, -v[1], -v[2]}, t), {1, 0, 0, 1, v[1], v[2]});
    } else if (name == "skewX" && n == 1) {
      t = {1, 0, std::tan(v[0] * kRadians), 1, 0, 0};
    } else if (name == "skewY" && n == 1) {
      t = {1, std::tan(v[0] * kRadians), 0, 1, 0, 0};
    } else {
      return std::nullopt;
    }
    m = Then(t, m);
  }
  return m;
}

// --- path data ---------------------------------------------------------------

std::string Format(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

class PathText {
 public:
  PathText& op(char letter, std::initializer_list<double> numbers) {
    text_ += letter;
    for (double n : numbers) text_ += Format(n) + ' ';
    return *this;
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

// Path data with every point mapped through m.
std::optional<std::string> Transformed(const std::string& data, const Matrix& m, std::size_t& budget) {
  const std::optional<std::vector<PathCommand>> commands = ParsePathData(data, budget);
  if (!commands) return std::nullopt;
  PathText out;
  for (const PathCommand& c : *commands) {
    const PathPoint to = Apply(m, c.to);
    switch (c.op) {
      case PathCommand::Op::MoveTo: out.op('M', {to.x, to.y}); break;
      case PathCommand::Op::LineTo: out.op('L', {to.x, to.y}); break;
      case PathCommand::Op::CubicTo: {
        const PathPoint c1 = Apply(m, c.c1), c2 = Apply(m, c.c2);
        out.op('C', {c1.x, c1.y, c2.x, c2.y, to.x, to.y});
        break;
      }
      case PathCommand::Op::Close: out.op('Z', {}); break;
    }
  }
  return out.take();
}

// --- styles ------------------------------------------------------------------

struct PaintSpec {
  enum class Kind { None, Colour, Current, Url };
  Kind kind = Kind::None;
  std::uint32_t argb = 0;
  std::string id;                 // Url
  std::optional<std::uint32_t> fallback;  // Url: the colour after it
  bool fallbackNone = false;
};

PaintSpec Spec(PaintSpec::Kind kind, std::uint32_t argb = 0) {
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
  std::string clipId;  // clip-path="url(#id)"
};

std::optional<PaintSpec> Paint(std::string_view text) {
  const std::string_view s = Trim(text);
  if (s == "none") return PaintSpec{};
  if (s == "currentColor") return Spec(PaintSpec::Kind::Current);
  if (s.starts_with("url(")) {
    const std::size_t close = s.find(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view ref = Trim(s.substr(4, close - 4));
    if (ref.size() >= 2 && (ref.front() == '"' || ref.front() == '\'') && ref.back() == ref.front()) ref = ref.substr(1, ref.size() - 2);
    // Only a fragment of this document: anything else would be fetched.
    if (!ref.starts_with("#")) return std::nullopt;
    PaintSpec spec = Spec(PaintSpec::Kind::Url);
    spec.id = ref.substr(1);
    const std::string_view rest = Trim(s.substr(close + 1));
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

std::optional<double> Opacity(std::string_view s) {
  const std::optional<double> v = Fraction(s);
  if (!v) return std::nullopt;
  return std::clamp(*v, 0.0, 1.0);
}

// The reference inside url(#id), for clip-path; empty for none.
std::optional<std::string> UrlId(std::string_view text) {
  const std::string_view s = Trim(text);
  if (s == "none") return std::string();
  const std::optional<PaintSpec> spec = Paint(s);
  if (!spec || spec->kind != PaintSpec::Kind::Url || spec->fallback || spec->fallbackNone) return std::nullopt;
  return spec->id;
}

// Applies one property; false for a value that refuses the document.
bool ApplyProperty(std::string_view name, std::string_view value, Style& style, Own& own, double diagonal) {
  value = Trim(value);
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
    const std::optional<double> v = Opacity(value);
    if (!v) return false;
    (name == "opacity" ? own.opacity : name == "fill-opacity" ? style.fillOpacity : style.strokeOpacity) = *v;
  } else if (name == "stroke-width") {
    const std::optional<double> v = Length(value, diagonal);
    if (!v || *v < 0) return false;
    style.strokeWidth = *v;
  } else if (name == "stroke-miterlimit") {
    std::string_view s = value;
    const std::optional<double> v = TakeNumber(s);
    if (!v || !Trim(s).empty()) return false;
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
  } else if (name == "clip-path") {
    const std::optional<std::string> id = UrlId(value);
    if (!id) return false;
    own.clipId = *id;
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
  } else if (name == "filter" || name == "mask" || name == "marker" || name == "marker-start" ||
             name == "marker-mid" || name == "marker-end") {
    // Effects the model cannot draw: refused where they are in use.
    return value == "none";
  }
  return true;  // a property that does not change what is painted (fonts, editors' own)
}

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
    if (!apply(Trim(declaration.substr(0, colon)), value)) return false;
  }
  return true;
}

// --- the reader --------------------------------------------------------------

class Reader {
 public:
  explicit Reader(const XmlElement& root) { index(root); }

  std::optional<Drawing> read(const XmlElement& root);

 private:
  void index(const XmlElement& e) {
    if (const std::string* id = e.attribute("", "id")) ids_.emplace(*id, &e);
    for (const XmlElement& child : e.children) index(child);
  }
  const XmlElement* byId(const std::string& id) const {
    const auto found = ids_.find(id);
    return found == ids_.end() ? nullptr : found->second;
  }
  std::optional<double> attributeLength(const XmlElement& e, std::string_view name, double fallback, double base) {
    const std::string* value = e.attribute("", name);
    if (!value) return fallback;
    return Length(*value, base);
  }

  bool styleOf(const XmlElement& e, Style& style, Own& own) const;
  bool element(const XmlElement& e, const Style& parent, std::vector<DrawingNode>& into);
  std::optional<std::string> shapeData(const XmlElement& e);
  std::optional<DrawingPaint> paint(const PaintSpec& spec, const Style& style);
  std::optional<DrawingGradient> gradient(const XmlElement& e);
  std::optional<DrawingNode> clipNode(const std::string& id);

  std::unordered_map<std::string, const XmlElement*> ids_;
  std::vector<const XmlElement*> uses_;  // the use elements being expanded
  std::size_t elements_ = 0;
  std::size_t budget_ = kMaxPathCommands;  // for clip paths turned through their transforms
  double width_ = 0, height_ = 0;          // the viewport, for percentages
};

bool Reader::styleOf(const XmlElement& e, Style& style, Own& own) const {
  const double diagonal = std::sqrt((width_ * width_ + height_ * height_) / 2);
  return ForEachProperty(e, [&](std::string_view name, std::string_view value) {
    return ApplyProperty(name, value, style, own, diagonal);
  });
}

std::optional<std::string> Reader::shapeData(const XmlElement& e) {
  const auto length = [&](std::string_view name, double base) { return attributeLength(e, name, 0, base); };
  PathText path;
  if (e.name == "path") {
    const std::string* d = e.attribute("", "d");
    return d ? *d : std::string();
  }
  if (e.name == "rect") {
    const auto x = length("x", width_), y = length("y", height_), w = length("width", width_), h = length("height", height_);
    const std::string* rxText = e.attribute("", "rx");
    const std::string* ryText = e.attribute("", "ry");
    std::optional<double> rx = rxText ? Length(*rxText, width_) : std::optional<double>(0);
    std::optional<double> ry = ryText ? Length(*ryText, height_) : std::optional<double>(0);
    if (!x || !y || !w || !h || !rx || !ry || *w < 0 || *h < 0 || *rx < 0 || *ry < 0) return std::nullopt;
    if (!rxText) rx = ry;
    if (!ryText) ry = rx;
    const double rX = std::min(*rx, *w / 2), rY = std::min(*ry, *h / 2);
    if (*w == 0 || *h == 0) return std::string();
    if (rX > 0 && rY > 0) {
      path.op('M', {*x + rX, *y}).op('H', {*x + *w - rX}).op('A', {rX, rY, 0, 0, 1, *x + *w, *y + rY});
      path.op('V', {*y + *h - rY}).op('A', {rX, rY, 0, 0, 1, *x + *w - rX, *y + *h}).op('H', {*x + rX});
      path.op('A', {rX, rY, 0, 0, 1, *x, *y + *h - rY}).op('V', {*y + rY}).op('A', {rX, rY, 0, 0, 1, *x + rX, *y});
    } else {
      path.op('M', {*x, *y}).op('H', {*x + *w}).op('V', {*y + *h}).op('H', {*x});
    }
    path.op('Z', {});
    return path.take();
  }
  if (e.name == "circle" || e.name == "ellipse") {
    const double diagonal = std::sqrt((width_ * width_ + height_ * height_) / 2);
    const auto cx = length("cx", width_), cy = length("cy", height_);
    const auto rx = e.name == "circle" ? length("r", diagonal) : length("rx", width_);
    const auto ry = e.name == "circle" ? rx : length("ry", height_);
    if (!cx || !cy || !rx || !ry || *rx < 0 || *ry < 0) return std::nullopt;
    if (*rx == 0 || *ry == 0) return std::string();
    path.op('M', {*cx + *rx, *cy}).op('A', {*rx, *ry, 0, 1, 1, *cx - *rx, *cy}).op('A', {*rx, *ry, 0, 1, 1, *cx + *rx, *cy});
    path.op('Z', {});
    return path.take();
  }
  if (e.name == "line") {
    const auto x1 = length("x1", width_), y1 = length("y1", height_), x2 = length("x2", width_), y2 = length("y2", height_);
    if (!x1 || !y1 || !x2 || !y2) return std::nullopt;
    path.op('M', {*x1, *y1}).op('L', {*x2, *y2});
    return path.take();
  }
  // polyline, polygon: an odd number of coordinates drops the last one.
  const std::string* points = e.attribute("", "points");
  std::optional<std::vector<double>> v = Numbers(points ? *points : std::string_view(), kMaxPathCommands * 2);
  if (!v) return std::nullopt;
  for (std::size_t i = 0; i + 1 < v->size(); i += 2) path.op(i == 0 ? 'M' : 'L', {(*v)[i], (*v)[i + 1]});
  if (e.name == "polygon" && v->size() >= 2) path.op('Z', {});
  return path.take();
}

// The gradient's attributes and stops, each from the first gradient along
// the href chain that has them.
std::optional<DrawingGradient> Reader::gradient(const XmlElement& e) {
  std::vector<const XmlElement*> chain{&e};
  for (const XmlElement* at = &e; chain.size() <= kMaxGradientLinks;) {
    const std::string* href = at->attribute(std::string(kXlink), "href");
    if (!href) href = at->attribute("", "href");
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
  const double diagonal = std::sqrt((width_ * width_ + height_ * height_) / 2);
  if (linear) {
    const auto x1 = coordinate("x1", "0%", width_), y1 = coordinate("y1", "0%", height_);
    const auto x2 = coordinate("x2", "100%", width_), y2 = coordinate("y2", "0%", height_);
    if (!x1 || !y1 || !x2 || !y2) return std::nullopt;
    g.startX = float(*x1), g.startY = float(*y1), g.endX = float(*x2), g.endY = float(*y2);
  } else {
    const auto cx = coordinate("cx", "50%", width_), cy = coordinate("cy", "50%", height_);
    const auto r = coordinate("r", "50%", diagonal);
    if (!cx || !cy || !r) return std::nullopt;
    g.centerX = float(*cx), g.centerY = float(*cy), g.radius = float(*r);
    const std::string* fx = attribute("fx");
    const std::string* fy = attribute("fy");
    if (fx || fy) {
      const auto x = fx ? coordinate("fx", "", width_) : cx, y = fy ? coordinate("fy", "", height_) : cy;
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
      std::uint32_t colour = 0xFF000000u;
      double opacity = 1;
      auto property = [&](std::string_view name, std::string_view value) {
        value = Trim(value);
        if (name == "stop-color") {
          const std::optional<std::uint32_t> c = Colour(value);
          if (!c) return false;
          colour = *c;
        } else if (name == "stop-opacity") {
          const std::optional<double> v = Opacity(value);
          if (!v) return false;
          opacity = *v;
        }
        return true;
      };
      if (!ForEachProperty(stop, property)) return std::nullopt;
      s.argb = (std::uint32_t(std::lround((colour >> 24) * opacity)) << 24) | (colour & 0xFFFFFF);
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
  for (const XmlElement& child : clip->children) {
    if (child.uri != kSvg || child.name == "title" || child.name == "desc") continue;
    static constexpr std::string_view kShapes[] = {"path", "rect", "circle", "ellipse", "line", "polyline", "polygon"};
    if (std::find(std::begin(kShapes), std::end(kShapes), child.name) == std::end(kShapes)) return std::nullopt;
    if (++elements_ > kMaxSvgElements) return std::nullopt;
    Style style = clipStyle;
    Own own;
    if (!styleOf(child, style, own)) return std::nullopt;
    if (own.displayNone || style.hidden) continue;
    if (!own.clipId.empty()) return std::nullopt;
    Matrix m = kIdentity;
    if (const std::string* t = child.attribute("", "transform")) {
      const std::optional<Matrix> local = Transform(*t);
      if (!local) return std::nullopt;
      m = *local;
    }
    const std::optional<std::string> data = shapeData(child);
    if (!data) return std::nullopt;
    const std::optional<std::string> placed = Transformed(*data, Then(m, outer), budget_);
    if (!placed) return std::nullopt;
    node.path.pathData += *placed;
    node.path.evenOdd = style.clipEvenOdd;
    ++shapes;
  }
  // Shapes joined in one path make their union only under nonzero.
  if (shapes > 1) node.path.evenOdd = false;
  return node;
}

bool Reader::element(const XmlElement& e, const Style& parent, std::vector<DrawingNode>& into) {
  if (e.uri != kSvg) return true;  // an editor's own element
  static constexpr std::string_view kNotDrawn[] = {"title", "desc", "metadata", "defs", "linearGradient",
                                                    "radialGradient", "clipPath", "symbol", "marker", "mask",
                                                    "pattern", "filter", "stop"};
  if (std::find(std::begin(kNotDrawn), std::end(kNotDrawn), e.name) != std::end(kNotDrawn)) return true;
  if (++elements_ > kMaxSvgElements) return false;
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

  if (e.name == "g" || e.name == "a") {
    for (const XmlElement& child : e.children) {
      if (!element(child, style, group.children)) return false;
    }
  } else if (e.name == "use") {
    const std::string* href = e.attribute(std::string(kXlink), "href");
    if (!href) href = e.attribute("", "href");
    if (!href || !href->starts_with("#")) return !href;  // no target draws nothing; another document is refused
    const XmlElement* target = byId(href->substr(1));
    if (!target) return true;
    if (target->uri == kSvg && (target->name == "symbol" || target->name == "svg")) return false;
    if (std::find(uses_.begin(), uses_.end(), &e) != uses_.end() || int(uses_.size()) >= kMaxSvgUseDepth) return false;
    const auto x = attributeLength(e, "x", 0, width_), y = attributeLength(e, "y", 0, height_);
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
    group.children.push_back(std::move(node));
  } else {
    static constexpr std::string_view kShapes[] = {"path", "rect", "circle", "ellipse", "line", "polyline", "polygon"};
    if (std::find(std::begin(kShapes), std::end(kShapes), e.name) == std::end(kShapes)) return false;  // paints, unread
    std::optional<std::string> data = shapeData(e);
    if (!data) return false;
    if (style.hidden) return true;
    DrawingNode node;
    DrawingPath& path = node.path;
    path.pathData = std::move(*data);
    const std::optional<DrawingPaint> fill = paint(style.fill, style), stroke = paint(style.stroke, style);
    if (!fill || !stroke) return false;
    path.fill = *fill;
    path.stroke = style.strokeWidth > 0 ? *stroke : DrawingPaint();
    path.fillAlpha = float(style.fillOpacity), path.strokeAlpha = float(style.strokeOpacity);
    path.strokeWidth = float(style.strokeWidth), path.strokeMiterLimit = float(style.miterLimit);
    path.evenOdd = style.evenOdd, path.cap = style.cap, path.join = style.join;
    path.dashes = style.dashes, path.dashOffset = float(style.dashOffset);
    if (path.fill.kind == DrawingPaint::Kind::None && path.stroke.kind == DrawingPaint::Kind::None) return true;
    group.children.push_back(std::move(node));
  }
  // A plain group adds no level of its own.
  if (!group.hasMatrix && group.opacity >= 1 && own.clipId.empty()) {
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
    if (!text || Trim(*text).ends_with("%")) return box ? std::optional<double>(fromBox) : std::nullopt;
    return Length(*text);
  };
  const std::optional<double> width = size(widthText, box ? (*box)[2] : 0);
  const std::optional<double> height = size(heightText, box ? (*box)[3] : 0);
  if (!width || !height || !(*width > 0) || !(*height > 0)) return std::nullopt;
  width_ = box ? (*box)[2] : *width;
  height_ = box ? (*box)[3] : *height;

  Drawing drawable;
  drawable.widthDp = float(*width), drawable.heightDp = float(*height);
  drawable.viewportWidth = float(*width), drawable.viewportHeight = float(*height);
  DrawingGroup& top = drawable.root;
  if (box) {
    // preserveAspectRatio: "none", or an alignment with meet (the default) or slice.
    const std::string* aspect = root.attribute("", "preserveAspectRatio");
    const std::string align = aspect ? std::string(Trim(*aspect).substr(0, Trim(*aspect).find(' '))) : "xMidYMid";
    const bool slice = aspect && aspect->find("slice") != std::string::npos;
    double sx = *width / (*box)[2], sy = *height / (*box)[3];
    double tx = 0, ty = 0;
    if (align != "none") {
      if (align.size() != 8 || align[0] != 'x' || align[4] != 'Y') return std::nullopt;
      sx = sy = slice ? std::max(sx, sy) : std::min(sx, sy);
      const auto position = [](std::string_view where, double room) {
        return where == "Min" ? 0.0 : where == "Mid" ? room / 2 : room;
      };
      tx = position(std::string_view(align).substr(1, 3), *width - (*box)[2] * sx);
      ty = position(std::string_view(align).substr(5, 3), *height - (*box)[3] * sy);
    }
    top.hasMatrix = true;
    const Matrix m = {sx, 0, 0, sy, tx - (*box)[0] * sx, ty - (*box)[1] * sy};
    for (int i = 0; i < 6; ++i) top.matrix[i] = float(m[i]);
  }
  Style style;
  Own own;
  if (!styleOf(root, style, own) || !own.clipId.empty()) return std::nullopt;
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

}  // namespace

std::optional<Drawing> ReadSvgDocument(std::string_view xml) {
  XmlLimits limits;
  limits.maxBytes = kMaxSvgBytes;
  limits.maxDepth = 2 * kMaxDrawableDepth;
  const std::optional<XmlElement> root = ReadXmlTree(xml, limits);
  if (!root || HasRefusedElement(*root)) return std::nullopt;
  Reader reader(*root);
  return reader.read(*root);
}

RgbaImage RenderSvgIcon(std::string_view xml, int side) {
  const std::optional<Drawing> drawable = ReadSvgDocument(xml);
  return drawable ? RenderVectorIcon(*drawable, side ? side : kSvgIconPixels) : RgbaImage();
}
