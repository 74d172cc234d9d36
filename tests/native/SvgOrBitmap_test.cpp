#include "draw/SvgOrBitmap.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "image/PngDecode.h"
#include "tests/support/TestImages.h"

namespace {

TEST(SvgOrBitmap, SvgByNameInAnyCase) {
  EXPECT_TRUE(IsSvgName("icons/app.svg"));
  EXPECT_TRUE(IsSvgName("icons/APP.SVG"));
  EXPECT_TRUE(IsSvgName(".Svg"));
  EXPECT_FALSE(IsSvgName("svg"));
  EXPECT_FALSE(IsSvgName("app.svgz"));
  EXPECT_FALSE(IsSvgName("app.png"));
}

// An SVG document is drawn, read up to the SVG limit; a PNG is kept, read up
// to the caller's limit; anything else, or a document that cannot be drawn,
// gives nothing.
TEST(SvgOrBitmap, DrawsTheDocumentOrKeepsThePng) {
  const Bytes png = EncodePng(SolidImage(3, 3, 1, 2, 3, 255));
  const std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 2 2"><rect width="2" height="2" fill="#0a141e"/></svg>)";
  std::uint64_t asked = 0;
  auto reading = [&](const auto& bytes) {
    return [&asked, bytes](std::uint64_t maxBytes) { asked = maxBytes; return Bytes(bytes.begin(), bytes.end()); };
  };
  EXPECT_EQ(SvgDrawnOrPngKept(false, 1000, reading(png), 16), png);
  EXPECT_EQ(asked, 1000u);
  const RgbaImage drawn = DecodePng(SvgDrawnOrPngKept(true, 1000, reading(svg), 16));
  EXPECT_EQ(asked, 4u << 20);
  ASSERT_EQ(drawn.width, 16);
  ASSERT_EQ(drawn.height, 16);
  EXPECT_EQ(PixelArgb(drawn, 8, 8), 0xFF0A141Eu);
  EXPECT_TRUE(SvgDrawnOrPngKept(true, 1000, reading(std::string("<svg><text>x</text></svg>")), 16).empty());
  EXPECT_TRUE(SvgDrawnOrPngKept(false, 1000, reading(svg), 16).empty()) << "not a PNG";
}

}  // namespace
