#include "android/ToolXmlTree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// E lines nested `depth` deep under a namespace line, as the tool prints them.
std::string NestedElements(int depth) {
  std::string text = "N: android=http://schemas.android.com/apk/res/android\r\n";
  for (int i = 0; i < depth; ++i) text += std::string(2 + 2 * i, ' ') + "E: group (line=1)\r\n";
  return text;
}

}  // namespace

TEST(ParseToolValue, EachPrintedForm) {
  const struct { const char* printed; bool ok; std::uint8_t type; std::uint32_t data; const char* string; } cases[] = {
      {R"("M12,2L22,22H2Z" (Raw: "M12,2L22,22H2Z"))", true, kResString, 0, "M12,2L22,22H2Z"},
      {R"("q\"u\\o\nte" (Raw: "q\"u\\o\nte"))", true, kResString, 0, "q\"u\\o\nte"},
      {"@0x106000b", true, kResReference, 0x0106000b, ""},     // the carried tool: no leading zeros
      {"@0x0106000b", true, kResReference, 0x0106000b, ""},    // Debian's aapt pads to eight digits
      {"@0x0", true, kResReference, 0, ""},                    // @null
      {"?0x1010429", true, kResAttribute, 0x01010429, ""},
      {"(type 0x1d)0xff336699", true, kResRgb8, 0xff336699, ""},
      {"(type 0x5)0x123456789", false, 0, 0, ""},              // beyond 32 bits
      {R"("unterminated)", false, 0, 0, ""},
      {"#ff336699", false, 0, 0, ""},
  };
  for (const auto& c : cases) {
    const std::optional<ResValue> value = ParseToolValue(c.printed);
    ASSERT_EQ(value.has_value(), c.ok) << c.printed;
    if (!value) continue;
    EXPECT_EQ(value->type, c.type) << c.printed;
    EXPECT_EQ(value->data, c.data) << c.printed;
    EXPECT_EQ(value->string, c.string) << c.printed;
  }
}

TEST(DecodeValue, DimensionsFractionsFloatsColours) {
  enum Decoder { Dimension, Fraction, Float, Number, Color };
  const struct { const char* printed; Decoder decoder; std::optional<double> expected; } cases[] = {
      {"(type 0x5)0x1801", Dimension, 24},        // 24dp: mantissa 0x18, radix 23p0, unit dp
      {"(type 0x5)0x6c01", Dimension, 108},
      {"(type 0x5)0x300", Dimension, 3},          // 3px, taken as 3 dp
      {"(type 0x5)0x1802", Dimension, 24},        // 24sp
      {"(type 0x5)0x1803", Dimension, 24 * 160.0 / 72},   // 24pt
      {"(type 0x5)0x1905", Dimension, 25 * 160.0 / 25.4}, // 25mm
      {"(type 0x5)0x40000034", Dimension, 80},    // 0.5in: radix 0p23
      {"(type 0x5)0xc00024", Dimension, 240},     // 1.5in: radix 8p15
      {"(type 0x5)0xfffff801", Dimension, -8},    // the mantissa is signed
      {"(type 0x5)0x1806", Dimension, std::nullopt},  // no such unit
      {"(type 0x4)0x41c00000", Dimension, std::nullopt},
      {"(type 0x6)0x40000030", Fraction, 0.5},    // 50%
      {"(type 0x6)0x20000031", Fraction, 0.25},   // 25%p
      {"(type 0x6)0x15566d30", Fraction, 0.1667},
      {"(type 0x6)0xccccd30", Fraction, 0.1},
      {"(type 0x4)0x41c00000", Float, 24},
      {"(type 0x4)0xc0900000", Float, -4.5},
      {"(type 0x4)0x7f800000", Float, std::nullopt},  // infinity
      {"(type 0x4)0x7fc00000", Float, std::nullopt},  // NaN
      {"(type 0x10)0xffffffff", Number, -1},
      {"(type 0x11)0x77", Number, 0x77},
      {"(type 0x1c)0x80112233", Color, 0x80112233},  // #80112233
      {"(type 0x1d)0xff336699", Color, 0xff336699},  // #336699
      {"(type 0x1e)0x88ff0000", Color, 0x88ff0000},  // #8f00
      {"(type 0x1f)0xffff00aa", Color, 0xffff00aa},  // #f0a
      {"(type 0x10)0x1", Color, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<ResValue> value = ParseToolValue(c.printed);
    ASSERT_TRUE(value) << c.printed;
    std::optional<double> decoded;
    switch (c.decoder) {
      case Dimension: decoded = DecodeDimensionDp(*value); break;
      case Fraction: decoded = DecodeFraction(*value); break;
      case Float: decoded = DecodeFloat(*value); break;
      case Number: decoded = DecodeNumber(*value); break;
      case Color: decoded = DecodeColor(*value); break;
    }
    ASSERT_EQ(decoded.has_value(), c.expected.has_value()) << c.printed;
    if (decoded) {
      EXPECT_NEAR(*decoded, *c.expected, 1e-4) << c.printed;
    }
  }
}

TEST(ParseToolXmlTree, CapturedVectorNestsByIndentation) {
  const ToolXmlTree tree =
      ParseToolXmlTree(ReadText(TESSAROO_TEST_DATA "/drawables/vector-every-attribute/res_drawable_fg.xml.txt"));
  ASSERT_EQ(tree.elements.size(), 7u);
  const ToolElement& vector = *tree.root();
  EXPECT_EQ(vector.name, "vector");
  EXPECT_EQ(vector.attributes.size(), 5u);
  ASSERT_EQ(vector.children.size(), 1u);
  const ToolElement& group = tree.elements[vector.children[0]];
  std::string names;
  for (std::size_t child : group.children) names += tree.elements[child].name + " ";
  EXPECT_EQ(names, "clip-path path path path path ");
  const ToolElement& path = tree.elements[group.children[1]];
  const ToolAttribute* fill = path.attribute(0x01010404);
  ASSERT_TRUE(fill);
  EXPECT_EQ(fill->name, "android:fillColor");
  EXPECT_EQ(fill->value.type, kResReference);
  EXPECT_EQ(fill->value.data, 0x7f010001u);
  EXPECT_EQ(path.attribute(0x01010405)->value.string, "M12,2L22,22H2Z");
}

TEST(ParseToolXmlTree, RefusesTreesBeyondTheLimits) {
  EXPECT_EQ(ParseToolXmlTree(NestedElements(kMaxXmlTreeDepth)).elements.size(), static_cast<std::size_t>(kMaxXmlTreeDepth));
  EXPECT_TRUE(ParseToolXmlTree(NestedElements(kMaxXmlTreeDepth + 1)).elements.empty());
  EXPECT_TRUE(ParseToolXmlTree("E: vector (line=1)\nE: vector (line=2)\n").elements.empty()) << "two roots";
  EXPECT_TRUE(ParseToolXmlTree("ERROR: dump failed because resource res/x.xml found\n").elements.empty());
}
