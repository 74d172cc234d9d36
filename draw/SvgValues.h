#pragma once
// The SVG reader's values: numbers, lengths, colours and transforms, as
// attributes and style properties write them. Each gives nothing for text
// it does not read whole, and every number it gives is finite.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "draw/Path.h"
#include "support/Bytes.h"
#include "support/TextScan.h"
#include "support/XmlTree.h"

namespace svg {

inline constexpr std::string_view kSvg = "http://www.w3.org/2000/svg";
inline constexpr std::string_view kXlink = "http://www.w3.org/1999/xlink";

// What the element refers to: xlink:href, else SVG 2's plain href; null
// when it has neither.
const std::string* Href(const XmlElement& e);

bool IsBlank(char c);

// Reads a number at the start of s (after blanks and one comma), moving s
// past it; nothing when there is none or it is not finite.
std::optional<double> TakeNumber(std::string_view& s);
// A list of numbers, blanks or commas between them; at most `max`.
std::optional<std::vector<double>> Numbers(std::string_view s, std::size_t max = 1u << 20);
// A length in user units; a percentage of base (NaN: none allowed).
std::optional<double> Length(std::string_view text, double base = NAN);
// The element's attribute as a length (percentages of base); fallback when
// it has none.
std::optional<double> AttributeLength(const XmlElement& e, std::string_view name, double fallback, double base);
// A fraction: a number, or a percentage of 1.
std::optional<double> Fraction(std::string_view text);
// A colour by name, #rgb, #rgba, #rrggbb, #rrggbbaa, rgb() or rgba(), as
// 0xAARRGGBB.
std::optional<std::uint32_t> Colour(std::string_view text);

// The bytes of a data URL of the given media type, base64-encoded
// ("data:image/png;base64,..."); nothing for any other URL.
std::optional<Bytes> DataUrlBytes(std::string_view url, std::string_view mediaType);

// The size percentages are taken of: the view box, or the document's size.
struct Viewport {
  double width = 0, height = 0;
  // What a percentage of a length that is neither across nor down is of.
  double diagonal() const { return std::sqrt((width * width + height * height) / 2); }
};

using Matrix = std::array<double, 6>;  // a b c d e f: x' = a x + c y + e, y' = b x + d y + f
inline constexpr Matrix kIdentity = {1, 0, 0, 1, 0, 0};

// first, then second.
Matrix Then(const Matrix& first, const Matrix& second);
PathPoint Apply(const Matrix& m, PathPoint p);
// How preserveAspectRatio (`aspect`, null when not given) fits a box of
// boxWidth x boxHeight, at 0 0, into a viewport of width x height, at 0 0:
// a scale and a move. `slice` tells whether the box overflows the viewport.
std::optional<Matrix> FitBox(const std::string* aspect, double width, double height, double boxWidth,
                             double boxHeight, bool& slice);
// A transform list: matrix, translate, scale, rotate, skewX, skewY, applied
// right to left as SVG does.
std::optional<Matrix> Transform(std::string_view s);

}  // namespace svg
