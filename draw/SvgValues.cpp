#include "draw/SvgValues.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

namespace svg {
namespace {

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
  if (!TrimmedBlanks(s).empty()) return std::nullopt;
  return channels[3] << 24 | channels[0] << 16 | channels[1] << 8 | channels[2];
}

}  // namespace

const std::string* Href(const XmlElement& e) {
  const std::string* href = e.attribute(std::string(kXlink), "href");
  return href ? href : e.attribute("", "href");
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

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

std::optional<std::vector<double>> Numbers(std::string_view s, std::size_t max) {
  std::vector<double> out;
  while (!TrimmedBlanks(s).empty()) {
    const std::optional<double> n = TakeNumber(s);
    if (!n || out.size() >= max) return std::nullopt;
    out.push_back(*n);
  }
  return out;
}

std::optional<double> Length(std::string_view text, double base) {
  std::string_view s = TrimmedBlanks(text);
  const std::optional<double> n = TakeNumber(s);
  if (!n) return std::nullopt;
  const std::string unit = AsciiLowered(TrimmedBlanks(s));
  static const std::pair<std::string_view, double> kUnits[] = {
      {"", 1}, {"px", 1}, {"pt", 4.0 / 3}, {"pc", 16}, {"mm", 96 / 25.4}, {"cm", 96 / 2.54}, {"in", 96}, {"em", 16}, {"ex", 8}};
  for (const auto& [name, factor] : kUnits) {
    if (unit == name) return *n * factor;
  }
  if (unit == "%" && std::isfinite(base)) return *n * base / 100;
  return std::nullopt;
}

std::optional<double> AttributeLength(const XmlElement& e, std::string_view name, double fallback, double base) {
  const std::string* value = e.attribute("", name);
  if (!value) return fallback;
  return Length(*value, base);
}

std::optional<double> Fraction(std::string_view text) {
  std::string_view s = TrimmedBlanks(text);
  const std::optional<double> n = TakeNumber(s);
  if (!n) return std::nullopt;
  s = TrimmedBlanks(s);
  if (s.empty()) return *n;
  if (s == "%") return *n / 100;
  return std::nullopt;
}

std::optional<std::uint32_t> Colour(std::string_view text) {
  const std::string s = AsciiLowered(TrimmedBlanks(text));
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

std::optional<Bytes> DataUrlBytes(std::string_view url, std::string_view mediaType) {
  url = TrimmedBlanks(url);
  const std::size_t comma = url.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const std::string header = AsciiLowered(url.substr(0, comma));  // data:TYPE;...;base64
  if (!header.starts_with("data:" + std::string(mediaType) + ";") || !header.ends_with(";base64")) return std::nullopt;
  Bytes out;
  out.reserve((url.size() - comma) / 4 * 3);
  std::uint32_t bits = 0;
  int count = 0;
  bool padded = false;
  for (const char c : url.substr(comma + 1)) {
    if (IsBlank(c)) continue;
    if (c == '=') {
      padded = true;
      continue;
    }
    const int v = c >= 'A' && c <= 'Z' ? c - 'A' : c >= 'a' && c <= 'z' ? c - 'a' + 26 : c >= '0' && c <= '9' ? c - '0' + 52
                  : c == '+' ? 62 : c == '/' ? 63 : -1;
    if (v < 0 || padded) return std::nullopt;
    bits = (bits << 6 | std::uint32_t(v)) & 0xFFFFFF;
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(std::uint8_t(bits >> count));
    }
  }
  return out;
}

std::optional<Matrix> FitBox(const std::string* aspect, double width, double height, double boxWidth,
                             double boxHeight, bool& slice) {
  // "none", or an alignment with meet (the default) or slice.
  const std::string_view value = aspect ? TrimmedBlanks(*aspect) : "xMidYMid";
  const std::string_view align = value.substr(0, value.find(' '));
  slice = value.find("slice") != std::string_view::npos;
  double sx = width / boxWidth, sy = height / boxHeight, tx = 0, ty = 0;
  if (align != "none") {
    if (align.size() != 8 || align[0] != 'x' || align[4] != 'Y') return std::nullopt;
    sx = sy = slice ? std::max(sx, sy) : std::min(sx, sy);
    const auto position = [](std::string_view where, double room) {
      return where == "Min" ? 0.0 : where == "Mid" ? room / 2 : room;
    };
    tx = position(align.substr(1, 3), width - boxWidth * sx);
    ty = position(align.substr(5, 3), height - boxHeight * sy);
  } else {
    slice = false;
  }
  return Matrix{sx, 0, 0, sy, tx, ty};
}

Matrix Then(const Matrix& first, const Matrix& second) {
  const auto& [a, b, c, d, e, f] = first;
  const auto& [A, B, C, D, E, F] = second;
  return {A * a + C * b, B * a + D * b, A * c + C * d, B * c + D * d, A * e + C * f + E, B * e + D * f + F};
}

PathPoint Apply(const Matrix& m, PathPoint p) { return {m[0] * p.x + m[2] * p.y + m[4], m[1] * p.x + m[3] * p.y + m[5]}; }

std::optional<Matrix> Transform(std::string_view s) {
  Matrix m = kIdentity;
  s = TrimmedBlanks(s);
  while (!s.empty()) {
    const std::size_t open = s.find('('), close = s.find(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) return std::nullopt;
    const std::string name(TrimmedBlanks(s.substr(0, open)));
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

}  // namespace svg
