#include "android/AndroidDrawableText.h"
#include "android/ToolXmlTree.h"

#include <gtest/gtest.h>

#include <map>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/PathText.h"

// The tool's text for packages made by tests/fixtures/make_drawables.py,
// captured from the carried tool under Wine: resources.txt, and each XML
// entry with "/" as "_" plus ".txt".
namespace {

constexpr const char* kAdaptive = "res/mipmap-anydpi-v26/ic_launcher.xml";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// One captured package, with at most one entry's text edited, and the
// raster entries asked for (each answered with a 2 x 2 picture).
struct Package {
  explicit Package(const std::string& name, const std::string& editEntry = "", const std::string& from = "",
                   const std::string& to = "")
      : folder(TESSAROO_TEST_DATA "/drawables/" + name + "/"), resources(ReadText(folder + "resources.txt")) {
    sources.resources = resources;
    sources.xmlTree = [=, this](const std::string& entry) {
      std::string name = entry;
      for (char& c : name) c = c == '/' ? '_' : c;
      std::string text = ReadText(folder + name + ".txt");
      if (entry == editEntry) {
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
      }
      return text;
    };
    sources.bitmap = [this](const std::string& entry) {
      rasters.push_back(entry);
      return RgbaImage{2, 2, std::vector<std::uint8_t>(16, 0xff)};
    };
  }
  Package(const Package&) = delete;

  AndroidIconDrawing read(const std::string& entry) { return ReadAndroidIcon(sources, entry); }

  std::string folder, resources;
  DrawableSources sources;
  std::vector<std::string> rasters;
};

std::string Hex(std::uint32_t argb) {
  char text[12];
  std::snprintf(text, sizeof text, "#%08x", argb);
  return text;
}

std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Stops(const std::vector<GradientStop>& stops) {
  std::string out;
  for (const GradientStop& stop : stops) out += " " + Number(stop.offset) + " " + Hex(stop.argb);
  return out;
}

// A layer in one line, so a table row can state all of it.
std::string Describe(const LayerDrawable& layer) {
  switch (layer.kind) {
    case LayerDrawable::Kind::Color: return "color " + Hex(layer.argb);
    case LayerDrawable::Kind::Bitmap: return "bitmap";
    case LayerDrawable::Kind::Vector: return "vector";
    case LayerDrawable::Kind::Inset: {
      std::string out = "inset";
      for (int i = 0; i < 4; ++i) {
        out += " " + (layer.insetIsFraction[i] ? Number(layer.insets[i] * 100) + "%" : Number(layer.insets[i]) + "dp");
      }
      return out + " (" + (layer.inner ? Describe(*layer.inner) : "") + ")";
    }
    case LayerDrawable::Kind::Shape: break;
  }
  const ShapeDrawable& shape = layer.shape;
  std::string out = shape.shape == ShapeDrawable::Shape::Oval ? "oval" : "rectangle";
  if (shape.hasSolid) out += " solid " + Hex(shape.solidArgb);
  if (shape.hasGradient) {
    const ShapeGradient& g = shape.gradient;
    if (g.type == ShapeGradient::Type::Linear) out += " linear angle " + Number(g.angle);
    if (g.type != ShapeGradient::Type::Linear) out += " center " + Number(g.centerX) + "," + Number(g.centerY);
    if (g.type == ShapeGradient::Type::Radial) out += " radius " + (g.radiusIsFraction ? Number(g.radius * 100) + "%" : Number(g.radius) + "dp");
    out += " stops" + Stops(g.stops);
  }
  if (shape.shape == ShapeDrawable::Shape::Rectangle) {
    out += " corners";
    for (float radius : shape.cornerRadii) out += " " + Number(radius);
  }
  return out;
}

std::string Describe(const DrawingPaint& paint) {
  if (paint.kind == DrawingPaint::Kind::None) return "none";
  if (paint.kind == DrawingPaint::Kind::Solid) return Hex(paint.argb);
  const DrawingGradient& g = paint.gradient;
  static const char* const kTypes[] = {"linear", "radial", "sweep"};
  static const char* const kTiles[] = {"clamp", "repeat", "mirror"};
  std::string out = std::string(kTypes[static_cast<int>(g.type)]) + " " + kTiles[static_cast<int>(g.tile)];
  if (g.type == DrawingGradient::Type::Linear) {
    out += " " + Number(g.startX) + "," + Number(g.startY) + " " + Number(g.endX) + "," + Number(g.endY);
  } else {
    out += " " + Number(g.centerX) + "," + Number(g.centerY);
  }
  if (g.type == DrawingGradient::Type::Radial) out += " radius " + Number(g.radius);
  return out + " stops" + Stops(g.stops);
}

// A path or clip-path in one line, every attribute stated.
std::string Describe(const DrawingNode& node) {
  if (node.kind == DrawingNode::Kind::Group) return "group";
  const DrawingPath& p = node.path;
  if (node.kind == DrawingNode::Kind::ClipPath) return "clip " + PathText(p.commands);
  static const char* const kCaps[] = {"butt", "round", "square"};
  static const char* const kJoins[] = {"miter", "round", "bevel"};
  return "path " + PathText(p.commands) + " fill " + Describe(p.fill) + " stroke " + Describe(p.stroke) + " alpha " +
         Number(p.fillAlpha) + "/" + Number(p.strokeAlpha) + " width " + Number(p.strokeWidth) + " miter " +
         Number(p.strokeMiterLimit) + (p.evenOdd ? " evenodd" : " nonzero") + " cap " + kCaps[static_cast<int>(p.cap)] +
         " join " + kJoins[static_cast<int>(p.join)] + " trim " + Number(p.trimStart) + " " + Number(p.trimEnd) + " " +
         Number(p.trimOffset);
}

}  // namespace

TEST(ReadAndroidIcon, EveryVectorAttribute) {
  Package package("vector-every-attribute");
  const AndroidIconDrawing icon = package.read(kAdaptive);
  ASSERT_EQ(icon.kind, AndroidIconDrawing::Kind::Adaptive);
  EXPECT_EQ(Describe(icon.adaptive.background), "color #ff336699");
  ASSERT_EQ(icon.adaptive.foreground.kind, LayerDrawable::Kind::Vector);
  const Drawing& vector = icon.adaptive.foreground.vector;
  EXPECT_EQ(vector.widthDp, 108);
  EXPECT_EQ(vector.heightDp, 108);
  EXPECT_EQ(vector.viewportWidth, 108);
  EXPECT_EQ(vector.viewportHeight, 108);
  EXPECT_EQ(vector.alpha, 0.5f);
  ASSERT_EQ(vector.root.children.size(), 1u);
  const DrawingGroup& group = vector.root.children[0].group;
  EXPECT_EQ(vector.root.children[0].kind, DrawingNode::Kind::Group);
  EXPECT_EQ(group.rotation, 45);
  EXPECT_EQ(group.pivotX, 54);
  EXPECT_EQ(group.pivotY, 54);
  EXPECT_EQ(group.scaleX, 0.5f);
  EXPECT_EQ(group.scaleY, 2);
  EXPECT_EQ(group.translateX, 3);
  EXPECT_EQ(group.translateY, -4.5f);
  // The second path's fill is the state list's default: its stateless item,
  // @color/alias (#336699) at half alpha. The gradients are inline, read from
  // res/drawable/$fg__0.xml and $fg__1.xml.
  const char* const kChildren[] = {
      "clip M0,0 L108,0 L108,108 L0,108 Z0,0",
      "path M12,2 L22,22 L2,22 Z12,2 fill #ff336699 stroke #ff0000ff alpha 0.25/0.75 width 2.5 miter 10 evenodd cap round "
      "join bevel trim 0.1 0.9 0.2",
      "path M1,1 L3,1 L3,3 Z1,1 fill #80336699 stroke #ffff0000 alpha 1/1 width 0 miter 4 nonzero cap butt join miter trim 0 1 0",
      "path M1,1 L4,1 L4,4 Z1,1 fill linear mirror 0,0 108,108 stops 0 #ffff0000 0.5 #8000ff00 1 #ff0000ff stroke none "
      "alpha 1/1 width 0 miter 4 nonzero cap butt join miter trim 0 1 0",
      "path M2,2 L5,2 L5,5 Z2,2 fill none stroke radial clamp 54,54 radius 20 stops 0 #ffffffff 0.5 #80ff0000 1 #ff000000 "
      "alpha 1/1 width 0 miter 4 nonzero cap butt join miter trim 0 1 0",
  };
  ASSERT_EQ(group.children.size(), std::size(kChildren));
  for (std::size_t i = 0; i < std::size(kChildren); ++i) EXPECT_EQ(Describe(group.children[i]), kChildren[i]) << i;
}

TEST(ReadAndroidIcon, AdaptiveLayers) {
  const struct { const char* package; const char* background; const char* foreground; std::vector<std::string> rasters; } cases[] = {
      {"adaptive-bitmap", "rectangle solid #ffff8800 corners 0 0 0 0", "bitmap", {"res/mipmap-xxxhdpi-v4/ic_fg.png"}},
      {"adaptive-shapes", "rectangle solid #ff1e88e5 corners 2 8 8 8", "inset 25% 25% 25% 25% (oval solid #ffffeb3b)", {}},
      {"adaptive-gradient", "rectangle linear angle 0 stops 0 #ffff0000 1 #ff0000ff corners 0 0 0 0",
       "inset 36dp 36dp 36dp 36dp (oval center 0.5,0.5 radius 50% stops 0 #ffffffff 0.5 #ff808080 1 #ff000000)", {}},
      {"adaptive-wrappers", "bitmap", "inset 27dp 25% 27dp 25% (color #ff009688)", {"res/drawable-nodpi-v4/tile.png"}},
      {"adaptive-framework-colours", "color #ffffffff", "color #ff000000", {}},
  };
  for (const auto& c : cases) {
    Package package(c.package);
    const AndroidIconDrawing icon = package.read(kAdaptive);
    ASSERT_EQ(icon.kind, AndroidIconDrawing::Kind::Adaptive) << c.package;
    EXPECT_EQ(Describe(icon.adaptive.background), c.background) << c.package;
    EXPECT_EQ(Describe(icon.adaptive.foreground), c.foreground) << c.package;
    EXPECT_EQ(package.rasters, c.rasters) << c.package;
  }
}

// A caller that fetches what each reading names before reading again gets
// the files level by level: the icon, then both layers at once. Keeping
// the parsed trees, it hands each file's text over once.
TEST(ReadAndroidIcon, NamesTheFilesOfOneLevelTogether) {
  Package package("adaptive-gradient");
  std::map<std::string, std::string> trees;
  std::map<std::string, ParsedTree> parsed;
  std::map<std::string, int> handed;
  std::vector<std::vector<std::string>> rounds;
  DrawableSources sources = package.sources;
  const auto fetch = package.sources.xmlTree;
  sources.xmlTree = [&](const std::string& entry) {
    ++handed[entry];
    return trees.at(entry);
  };
  sources.treeAtHand = [&](const std::string& entry) { return trees.count(entry) > 0; };
  sources.parsedTrees = &parsed;
  AndroidIconDrawing icon;
  for (int round = 0; round < 5; ++round) {
    std::vector<std::string> wanted;
    sources.wantedTrees = &wanted;
    icon = ReadAndroidIcon(sources, kAdaptive);
    if (wanted.empty()) break;
    EXPECT_EQ(icon.kind, AndroidIconDrawing::Kind::None) << "nothing is drawn from a reading with files missing";
    rounds.push_back(wanted);
    for (const std::string& entry : wanted) trees[entry] = fetch(entry);
  }
  EXPECT_EQ(rounds, (std::vector<std::vector<std::string>>{
                        {kAdaptive}, {"res/drawable/bg_linear.xml", "res/drawable/fg_radial.xml"}}));
  EXPECT_EQ(handed, (std::map<std::string, int>{
                        {kAdaptive, 1}, {"res/drawable/bg_linear.xml", 1}, {"res/drawable/fg_radial.xml", 1}}));
  EXPECT_EQ(Describe(icon.adaptive.background), Describe(package.read(kAdaptive).adaptive.background));
}

TEST(XmlTreeDump, SplitsAtEachTreesFirstLine) {
  const XmlTreeDump dump = SplitXmlTreeDump(
      "N: android=http://schemas.android.com/apk/res/android\n  E: adaptive-icon (line=1)\n"
      "W/ResourceType( 12): a warning\n"
      "E: vector (line=1)\n  A: android:width(0x01010159)=(type 0x5)0x6c01\n"
      "N: android=x\n  N: aapt=y\n    E: shape (line=1)\n"
      "ERROR: dump failed because resource res/drawable/missing.xml found\n");
  ASSERT_EQ(dump.trees.size(), 3u);
  EXPECT_FALSE(dump.complete);
  EXPECT_TRUE(dump.trees[0].ends_with("a warning\n"));
  EXPECT_TRUE(dump.trees[1].starts_with("E: vector"));
  EXPECT_TRUE(dump.trees[2].ends_with("E: shape (line=1)\n"));
  EXPECT_TRUE(SplitXmlTreeDump("E: vector (line=1)\n").complete);
}

TEST(ReadAndroidIcon, RefusedRatherThanHalfDrawn) {
  using Kind = AndroidIconDrawing::Kind;
  const struct { const char* package; const char* icon; const char* entry; const char* from; const char* to; Kind kind; } cases[] = {
      {"groups-15", "res/drawable/ic_deep.xml", "", "", "", Kind::Vector},
      {"groups-16", "res/drawable/ic_deep.xml", "", "", "", Kind::None},
      {"tinted-vector", "res/drawable/ic_tint.xml", "", "", "", Kind::None},
      {"theme-colour", "res/drawable/ic_theme.xml", "", "", "", Kind::None},
      {"self-inset", kAdaptive, "", "", "", Kind::None},
      {"layer-list-layer", kAdaptive, "", "", "", Kind::None},
      {"adaptive-shapes", kAdaptive, "", "", "", Kind::Adaptive},
      {"adaptive-shapes", "res/drawable/dot.xml", "", "", "", Kind::None},  // a shape is no icon by itself
      {"adaptive-shapes", kAdaptive, "res/drawable/dot.xml", "E: solid", "E: stroke", Kind::None},
      {"adaptive-shapes", kAdaptive, "res/drawable/dot.xml", "=@0x7f010005", "=?0x7f010005", Kind::None},
      {"adaptive-shapes", kAdaptive, "res/drawable/fg_inset.xml", "=@0x7f020001", "=@0x7f020002", Kind::None},
      {"adaptive-shapes", kAdaptive, "res/drawable/fg_inset.xml", "=@0x7f020001", "=@0x7f7f0000", Kind::None},
      {"adaptive-shapes", kAdaptive, "res/drawable/bg_rect.xml", "(type 0x5)0x801", "(type 0x6)0x801", Kind::None},
      {"vector-every-attribute", kAdaptive, "res/drawable/fg.xml", "(type 0x4)0x3f000000", "(type 0x4)0x7fc00000", Kind::None},
      {"vector-every-attribute", kAdaptive, "res/color/half_state.xml", "=@0x7f010000", "=@0x7f010005", Kind::None},
      {"vector-every-attribute", kAdaptive, "res/drawable/$fg__1.xml", "(type 0x4)0x41a00000", "(type 0x4)0x0", Kind::None},
  };
  for (const auto& c : cases) {
    Package package(c.package, c.entry, c.from, c.to);
    const AndroidIconDrawing icon = package.read(c.icon);
    EXPECT_EQ(icon.kind, c.kind) << c.package << " " << c.icon << " " << c.to;
    if (icon.kind == Kind::None) {
      EXPECT_TRUE(icon.vector.root.children.empty() && icon.adaptive.foreground.kind == LayerDrawable::Kind::Color)
          << "nothing of a refused icon is kept";
    }
  }
}

TEST(ReadAndroidIcon, PathLimit) {
  for (int paths : {kMaxDrawablePaths, kMaxDrawablePaths + 1}) {
    std::string text = "  E: vector (line=1)\n"
                       "    A: android:height(0x01010155)=(type 0x5)0x1801\n"
                       "    A: android:width(0x01010159)=(type 0x5)0x1801\n"
                       "    A: android:viewportWidth(0x01010402)=(type 0x4)0x41c00000\n"
                       "    A: android:viewportHeight(0x01010403)=(type 0x4)0x41c00000\n";
    for (int i = 0; i < paths; ++i) text += "    E: path (line=2)\n      A: android:pathData(0x01010405)=\"M0,0h1\"\n";
    DrawableSources sources;
    sources.xmlTree = [&](const std::string&) { return text; };
    EXPECT_EQ(ReadAndroidIcon(sources, "res/drawable/v.xml").kind,
              paths > kMaxDrawablePaths ? AndroidIconDrawing::Kind::None : AndroidIconDrawing::Kind::Vector);
  }
}

TEST(ReadAndroidIcon, MalformedPathDataRefusesTheIcon) {
  for (const char* data : {"M0,0h24v24z", "droid:M0,0h24v24z", "M0,0h", "M0,0z 5"}) {
    const std::string text = std::string("  E: vector (line=1)\n"
                                         "    A: android:height(0x01010155)=(type 0x5)0x1801\n"
                                         "    A: android:width(0x01010159)=(type 0x5)0x1801\n"
                                         "    A: android:viewportWidth(0x01010402)=(type 0x4)0x41c00000\n"
                                         "    A: android:viewportHeight(0x01010403)=(type 0x4)0x41c00000\n"
                                         "    E: path (line=2)\n      A: android:pathData(0x01010405)=\"") +
                             data + "\"\n";
    DrawableSources sources;
    sources.xmlTree = [&](const std::string&) { return text; };
    EXPECT_EQ(ReadAndroidIcon(sources, "res/drawable/v.xml").kind,
              std::string_view(data) == "M0,0h24v24z" ? AndroidIconDrawing::Kind::Vector : AndroidIconDrawing::Kind::None)
        << data;
  }
}
