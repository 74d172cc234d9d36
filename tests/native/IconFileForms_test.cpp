#include "draw/IconFileForms.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>

#include "image/PngDecode.h"
#include "tests/support/TestImages.h"

namespace {

TEST(IconFileForms, ByNameInAnyCase) {
  const struct { const char* name; IconFileForm form; } cases[] = {
      {"icons/app.svg", IconFileForm::Svg},  {"icons/APP.SVG", IconFileForm::Svg},
      {"ark.svgz", IconFileForm::Svgz},      {"usr/share/pixmaps/xbill.XPM", IconFileForm::Xpm},
      {"svg", IconFileForm::Bitmap},         {"app.png", IconFileForm::Bitmap},
      {"app.svg.png", IconFileForm::Bitmap},
  };
  for (const auto& c : cases) EXPECT_EQ(IconFileFormOf(c.name), c.form) << c.name;
}

TEST(IconFileForms, ByFirstBytes) {
  const struct { std::string_view start; IconFileForm form; } cases[] = {
      {"\x89PNG\r\n\x1a\n", IconFileForm::Bitmap},       {"\x1f\x8b\x08", IconFileForm::Svgz},
      {"\xEF\xBB\xBF \n<?xml version", IconFileForm::Svg}, {"<svg xmlns=", IconFileForm::Svg},
      {"/* XPM */\nstatic char", IconFileForm::Xpm},       {"", IconFileForm::Bitmap},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IconFileFormOfBytes(ByteSpan(reinterpret_cast<const std::uint8_t*>(c.start.data()), c.start.size())), c.form)
        << c.start;
  }
}

Bytes Gzipped(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);  // 16: a gzip wrapper
  Bytes out(deflateBound(&z, text.size()) + 32);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = uInt(text.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// An SVG document is drawn (inflated first when compressed), read up to the
// SVG limit; an XPM decoded; a PNG kept, read up to the caller's limit;
// anything else, or a document that cannot be drawn, gives nothing.
TEST(IconFileForms, DrawnDecodedOrKept) {
  const Bytes png = EncodePng(SolidImage(3, 3, 1, 2, 3, 255));
  const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 2 2"><rect width="2" height="2" fill="#0a141e"/></svg>)";
  const std::string xpm = "/* XPM */\nstatic char *x[] = {\"2 1 2 1\", \"a c #0A141E\", \"b c None\", \"ab\"};\n";
  std::uint64_t asked = 0;
  auto reading = [&](const auto& bytes) {
    return [&asked, bytes](std::uint64_t maxBytes) { asked = maxBytes; return Bytes(bytes.begin(), bytes.end()); };
  };
  EXPECT_EQ(IconFileAsPng(IconFileForm::Bitmap, 1000, reading(png), 16), png);
  EXPECT_EQ(asked, 1000u);
  for (const auto& [form, bytes] : {std::pair{IconFileForm::Svg, Bytes(svg.begin(), svg.end())},
                                    std::pair{IconFileForm::Svgz, Gzipped(svg)}}) {
    const RgbaImage drawn = DecodePng(IconFileAsPng(form, 1000, reading(bytes), 16));
    EXPECT_EQ(asked, 4u << 20);
    ASSERT_EQ(drawn.width, 16);
    ASSERT_EQ(drawn.height, 16);
    EXPECT_EQ(PixelArgb(drawn, 8, 8), 0xFF0A141Eu);
  }
  const RgbaImage decoded = DecodePng(IconFileAsPng(IconFileForm::Xpm, 1000, reading(xpm), 16));
  ASSERT_EQ(decoded.width, 2);
  EXPECT_EQ(PixelArgb(decoded, 0, 0), 0xFF0A141Eu);
  EXPECT_EQ(PixelArgb(decoded, 1, 0), 0x00000000u);
  EXPECT_TRUE(IconFileAsPng(IconFileForm::Svg, 1000, reading(std::string("<svg><text>x</text></svg>")), 16).empty());
  EXPECT_TRUE(IconFileAsPng(IconFileForm::Svgz, 1000, reading(svg), 16).empty()) << "not compressed";
  EXPECT_TRUE(IconFileAsPng(IconFileForm::Svgz, 1000, reading(Gzipped(std::string(5u << 20, ' '))), 16).empty())
      << "beyond the SVG limit once inflated";
  EXPECT_TRUE(IconFileAsPng(IconFileForm::Bitmap, 1000, reading(svg), 16).empty()) << "not a PNG";
}

}  // namespace
