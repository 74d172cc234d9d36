// XPM reading in three steps over the quoted strings: the header, the colour
// lines into a table sorted by pixel code, then the rows looked up in it.
#include "image/Xpm.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/TextScan.h"

namespace {

struct NamedColour {
  std::string_view name;  // folded: no spaces, lower case
  std::uint8_t r, g, b;
};

// Every name of the system's rgb.txt, written at build time by
// scripts/make_x11_colours.py, sorted by name.
constexpr NamedColour kX11Colours[] =
#include "X11Colours.inc"
    ;

using Rgba = std::array<std::uint8_t, 4>;
using CodedColour = std::pair<std::uint32_t, Rgba>;  // pixel code, colour

constexpr std::string_view kXpmMark = "/* XPM */";
constexpr std::uint32_t kMaxCharsPerPixel = 4;

// The quoted strings of the text in order. The declaration, commas and
// comments between them are passed over; XPM writers escape nothing inside a
// string, so it ends at the next quote.
class StringScanner {
 public:
  explicit StringScanner(std::string_view text) : text_(text) {}

  // The next string; nullopt at the end, or inside an unclosed comment or string.
  std::optional<std::string_view> next() {
    while (at_ < text_.size()) {
      if (text_.compare(at_, 2, "/*") == 0) {
        const std::size_t end = text_.find("*/", at_ + 2);
        if (end == std::string_view::npos) break;
        at_ = end + 2;
      } else if (text_[at_] == '"') {
        const std::size_t end = text_.find('"', at_ + 1);
        if (end == std::string_view::npos) break;
        const std::string_view found = text_.substr(at_ + 1, end - at_ - 1);
        at_ = end + 1;
        return found;
      } else {
        ++at_;
      }
    }
    at_ = text_.size();
    return std::nullopt;
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next run of non-blank characters, taken off text; empty at the end.
std::string_view NextField(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  std::size_t end = start;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  const std::string_view field = text.substr(start, end - start);
  text.remove_prefix(end);
  return field;
}

struct XpmHeader {
  std::uint32_t width = 0, height = 0, colours = 0, charsPerPixel = 0;
};

// "w h ncolors cpp", each at least 1 and within its limit; a hotspot or an
// extension mark after them is ignored.
std::optional<XpmHeader> ParseHeader(std::string_view line) {
  const std::uint32_t limits[] = {kMaxXpmSide, kMaxXpmSide, kMaxXpmColours, kMaxCharsPerPixel};
  std::uint32_t values[4] = {};
  for (int i = 0; i < 4; ++i) {
    const std::optional<std::uint64_t> value = ParseDecimal(NextField(line), limits[i]);
    if (!value || *value == 0) return std::nullopt;
    values[i] = static_cast<std::uint32_t>(*value);
  }
  return XpmHeader{values[0], values[1], values[2], values[3]};
}

// A pixel code of 1 to 4 characters as one number.
std::uint32_t PixelCode(std::string_view chars) {
  std::uint32_t code = 0;
  for (char c : chars) code = (code << 8) | static_cast<unsigned char>(c);
  return code;
}

std::optional<Rgba> NamedX11Colour(std::string_view name) {
  std::string folded;
  for (char c : name) {
    if (!IsBlank(c)) folded += AsciiLower(c);
  }
  const auto* found = std::lower_bound(std::begin(kX11Colours), std::end(kX11Colours), folded,
                                       [](const NamedColour& row, const std::string& key) { return row.name < key; });
  if (found == std::end(kX11Colours) || found->name != folded) return std::nullopt;
  return Rgba{found->r, found->g, found->b, 255};
}

// #rgb, #rrggbb or #rrrrggggbbbb; of 16-bit channels the high byte counts.
std::optional<Rgba> HexColour(std::string_view hex) {
  if (hex.size() != 3 && hex.size() != 6 && hex.size() != 12) return std::nullopt;
  for (char c : hex) {
    if (HexDigitValue(c) < 0) return std::nullopt;
  }
  const std::size_t digits = hex.size() / 3;
  Rgba rgba{0, 0, 0, 255};
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string_view channel = hex.substr(i * digits, digits);
    const int high = HexDigitValue(channel[0]);
    rgba[i] = static_cast<std::uint8_t>(digits == 1 ? high * 17 : high * 16 + HexDigitValue(channel[1]));
  }
  return rgba;
}

std::optional<Rgba> ParseColour(std::string_view value) {
  if (EqualsIgnoringAsciiCase(value, "none")) return Rgba{0, 0, 0, 0};
  if (!value.empty() && value[0] == '#') return HexColour(value.substr(1));
  return NamedX11Colour(value);
}

// "<code> c <colour> m <colour> ...": a value may be several words ("light
// grey"), so it runs up to the next key. Which key is taken: see Xpm.h.
std::optional<CodedColour> ParseColourLine(std::string_view line, std::uint32_t charsPerPixel) {
  if (line.size() < charsPerPixel) return std::nullopt;
  constexpr std::string_view kKeys[] = {"c", "g", "g4", "m", "s"};  // in order of preference
  std::array<std::string_view, std::size(kKeys)> values;
  std::string_view rest = line.substr(charsPerPixel);
  std::size_t key = std::size(kKeys);
  for (std::string_view field = NextField(rest); !field.empty(); field = NextField(rest)) {
    const auto* isKey = std::find(std::begin(kKeys), std::end(kKeys), field);
    if (isKey != std::end(kKeys)) {
      key = static_cast<std::size_t>(isKey - std::begin(kKeys));
      values[key] = {};
    } else if (key == std::size(kKeys)) {
      return std::nullopt;  // a value before any key
    } else if (values[key].empty()) {
      values[key] = field;
    } else {  // one more word: the value now spans up to the end of this field
      values[key] = {values[key].data(), static_cast<std::size_t>(field.data() + field.size() - values[key].data())};
    }
  }
  for (std::string_view value : values) {
    if (value.empty()) continue;
    const std::optional<Rgba> rgba = ParseColour(value);
    if (!rgba) return std::nullopt;
    return CodedColour{PixelCode(line.substr(0, charsPerPixel)), *rgba};
  }
  return std::nullopt;
}

// The colour lines as a table sorted by code; a code defined twice keeps its
// first colour.
std::optional<std::vector<CodedColour>> ReadColours(StringScanner& scanner, const XpmHeader& header) {
  std::vector<CodedColour> colours;
  colours.reserve(header.colours);
  for (std::uint32_t i = 0; i < header.colours; ++i) {
    const std::optional<std::string_view> line = scanner.next();
    if (!line) return std::nullopt;
    const std::optional<CodedColour> colour = ParseColourLine(*line, header.charsPerPixel);
    if (!colour) return std::nullopt;
    colours.push_back(*colour);
  }
  auto byCode = [](const CodedColour& a, const CodedColour& b) { return a.first < b.first; };
  std::stable_sort(colours.begin(), colours.end(), byCode);
  auto sameCode = [](const CodedColour& a, const CodedColour& b) { return a.first == b.first; };
  colours.erase(std::unique(colours.begin(), colours.end(), sameCode), colours.end());
  return colours;
}

bool ReadRow(std::string_view row, const std::vector<CodedColour>& colours, std::uint32_t charsPerPixel,
             std::uint8_t* out, std::uint32_t width) {
  if (row.size() / charsPerPixel < width) return false;
  for (std::uint32_t x = 0; x < width; ++x) {
    const std::uint32_t code = PixelCode(row.substr(std::size_t{x} * charsPerPixel, charsPerPixel));
    const auto found = std::lower_bound(colours.begin(), colours.end(), code,
                                        [](const CodedColour& c, std::uint32_t key) { return c.first < key; });
    if (found == colours.end() || found->first != code) return false;
    std::copy(found->second.begin(), found->second.end(), out + std::size_t{x} * 4);
  }
  return true;
}

}  // namespace

bool LooksLikeXpm(ByteSpan bytes) {
  std::string_view text = AsText(bytes);
  while (!text.empty() && (IsBlank(text[0]) || text[0] == '\r' || text[0] == '\n')) text.remove_prefix(1);
  return text.starts_with(kXpmMark);
}

RgbaImage DecodeXpm(ByteSpan bytes) {
  if (bytes.size() > kMaxXpmText || !LooksLikeXpm(bytes)) return {};
  StringScanner scanner(AsText(bytes));
  const std::optional<std::string_view> headerLine = scanner.next();
  const std::optional<XpmHeader> header = headerLine ? ParseHeader(*headerLine) : std::nullopt;
  if (!header) return {};
  // The header's numbers are within their limits, so these products stay far
  // below 2^32. Every colour line and row takes at least this much text: a
  // header that declares more than the file holds is refused before any
  // table or pixel memory is taken.
  const std::size_t pixelCount = std::size_t{header->width} * header->height;
  const std::size_t leastText = (std::size_t{header->colours} + pixelCount) * header->charsPerPixel;
  if (leastText > bytes.size()) return {};

  const std::optional<std::vector<CodedColour>> colours = ReadColours(scanner, *header);
  if (!colours) return {};
  RgbaImage image;
  image.pixels.resize(pixelCount * 4);
  const std::size_t stride = std::size_t{header->width} * 4;
  for (std::uint32_t y = 0; y < header->height; ++y) {
    const std::optional<std::string_view> row = scanner.next();
    if (!row || !ReadRow(*row, *colours, header->charsPerPixel, image.pixels.data() + y * stride, header->width)) {
      return {};
    }
  }
  image.width = static_cast<int>(header->width);
  image.height = static_cast<int>(header->height);
  return image;
}
