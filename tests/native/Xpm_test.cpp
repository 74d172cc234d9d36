#include "image/Xpm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

ByteSpan Span(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Pixels as 0xRRGGBBAA, row by row.
std::vector<std::uint32_t> Packed(const RgbaImage& image) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
    out.push_back(std::uint32_t{image.pixels[i]} << 24 | std::uint32_t{image.pixels[i + 1]} << 16 |
                  std::uint32_t{image.pixels[i + 2]} << 8 | image.pixels[i + 3]);
  }
  return out;
}

struct XpmCase {
  const char* what;
  std::string text;
  int width, height;
  std::vector<std::uint32_t> pixels;
};

TEST(Xpm, DecodesTinyImages) {
  const XpmCase cases[] = {
      {"one char, #rgb, #rrggbb, None",
       "/* XPM */\nstatic char * a[] = {\n\"2 2 3 1\",\n\"  c None\",\n\". c #F00\",\n\"x c #00ff80\",\n"
       "\" .\",\n\"x.\"};\n",
       2, 2, {0x00000000, 0xFF0000FF, 0x00FF80FF, 0xFF0000FF}},
      {"two chars with a blank, 16-bit channels, a name of two words, comments, hotspot",
       "  \n/* XPM */\nstatic char *b[] = {\n/* columns rows colors chars-per-pixel */\n\"3 1 3 2 0 0\",\n"
       "\"aa c #123456789ABC\",\n/* \"not a string\" */\n\"b \tc light  grey\",\n\"cc c NONE\",\n"
       "/* pixels */\n\"aab cc\"\n};\n",
       3, 1, {0x12569AFF, 0xD3D3D3FF, 0x00000000}},
      {"three chars, mixed-case name, m alone as the fallback, c before m",
       "/* XPM */\n{\"2 1 2 3\", \"abc m white\", \"x-y c DarkSlateGray m black\", \"x-yabc\"}",
       2, 1, {0x2F4F4FFF, 0xFFFFFFFF}},
      {"four chars, g as the fallback, a longer row",
       "/* XPM */\n{\"1 2 2 4\", \"AAAA c #000\", \"AAAB g #fff\", \"AAABAAAA\", \"AAAA\"}",
       1, 2, {0xFFFFFFFF, 0x000000FF}},
  };
  for (const XpmCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(LooksLikeXpm(Span(c.text)));
    const RgbaImage image = DecodeXpm(Span(c.text));
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(Packed(image), c.pixels);
  }
}

TEST(Xpm, RefusesMalformedInput) {
  const std::string kGood = "/* XPM */\n{\"2 1 1 1\", \". c red\", \"..\"}";
  ASSERT_EQ(DecodeXpm(Span(kGood)).width, 2);
  const std::string hostile[] = {
      "/* XPM */\n{\"100000 100000 1 1\", \". c red\", \"..\"}",  // far over the side limit
      "/* XPM */\n{\"1025 1 1 1\", \". c red\", \"..\"}",
      "/* XPM */\n{\"1024 1024 1 1\", \". c red\", \"..\"}",  // declares more than the file holds
      "/* XPM */\n{\"2 1 1 5\", \". c red\", \"..\"}",  // five chars per pixel
      "/* XPM */\n{\"2 1 0 1\", \"..\"}",
      "/* XPM */\n{\"2 x 1 1\", \". c red\", \"..\"}",
      "/* XPM */\n{\"2 2 1 1\", \". c red\", \"..\"}",  // a row missing
      "/* XPM */\n{\"2 1 1 1\", \". c red\", \".\"}",  // a short row
      "/* XPM */\n{\"2 1 1 1\", \". c red\", \".x\"}",  // no colour for x
      "/* XPM */\n{\"2 1 1 1\", \". c reddish\", \"..\"}",
      "/* XPM */\n{\"2 1 1 1\", \". c #12345\", \"..\"}",
      "/* XPM */\n{\"2 1 1 1\", \". red\", \"..\"}",  // no key
      "/* XPM */\n{\"2 1 1 1\", \". c red\", \"..",  // unclosed string
      "/* XPM */\n{\"2 1 1 1\", \". c red\", /* \"..\"}",  // unclosed comment
      "{\"2 1 1 1\", \". c red\", \"..\"}",  // no mark
  };
  for (const std::string& text : hostile) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(DecodeXpm(Span(text)).empty());
  }
  EXPECT_FALSE(LooksLikeXpm(Span("/*XPM*/")));
  EXPECT_FALSE(LooksLikeXpm(Span("")));
}

// Icons that Debian packages install, which scripts/setup.sh brings: each
// decodes whole at the size its header gives.
TEST(Xpm, DecodesInstalledIcons) {
  const struct {
    const char* path;  // package
    int side;
  } icons[] = {
      {"/usr/share/pixmaps/python3.xpm", 32},   // python3: 2 chars, None
      {"/usr/share/pixmaps/pstree16.xpm", 16},  // psmisc: 1 char
      {"/usr/share/pixmaps/pstree32.xpm", 32},
  };
  for (const auto& icon : icons) {
    SCOPED_TRACE(icon.path);
    std::ifstream in(icon.path, std::ios::binary);
    ASSERT_TRUE(in);
    const Bytes bytes(std::istreambuf_iterator<char>(in), {});
    const RgbaImage image = DecodeXpm(bytes);
    EXPECT_EQ(image.width, icon.side);
    EXPECT_EQ(image.height, icon.side);
  }
}

}  // namespace
