// Android icons that exist only as drawables (vector drawables, adaptive
// icons), drawn from the real packaging tool's text under Wine, on packages
// built by tests/fixtures/make_drawables.py: through the dispatcher and
// tessaroo-cli, and the base package of a split bundle whose bitmap layer
// lives in a density split.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/PipelineHarness.h"

namespace {

// One "at X Y #AARRGGBB T" line of a fixture's .expect file: the colour at
// a point given as fractions of the drawing's box (an adaptive icon's
// 108 dp canvas, a vector icon's viewport), within T per channel.
struct ExpectedPoint {
  double x = 0, y = 0;
  std::uint32_t argb = 0;
  int tolerance = 0;
};

struct Expectation {
  std::string kind;  // adaptive, vector or none
  std::vector<ExpectedPoint> points;
};

Expectation ReadExpectation(const std::string& path) {
  const Bytes text = ReadWholeFile(path);
  std::istringstream lines(std::string(text.begin(), text.end()));
  Expectation expected;
  for (std::string word; lines >> word;) {
    if (word == "kind") {
      lines >> expected.kind;
    } else if (word == "at") {
      ExpectedPoint point;
      std::string colour;
      lines >> point.x >> point.y >> colour >> point.tolerance;
      point.argb = static_cast<std::uint32_t>(std::stoul(colour.substr(1), nullptr, 16));
      expected.points.push_back(point);
    } else {
      std::string rest;
      std::getline(lines, rest);
    }
  }
  return expected;
}

// Checks the picture against the fixture: an adaptive icon is the middle
// 72 dp of its 108 dp canvas at 4 px per dp (288 px), cut to a circle, so
// only points well inside the circle are visible; a vector icon of square
// size fills 192 px; drawnSide, when set, is the side asked for instead.
// Returns how many points it checked.
int ExpectDrawing(const std::string& stem, const Bytes& picture, int drawnSide = 0) {
  SCOPED_TRACE(stem);
  const Expectation expected = ReadExpectation(stem + ".expect");
  EXPECT_FALSE(expected.kind.empty()) << "the fixture has its expectation";
  const RgbaImage image = DecodePng(picture);
  if (expected.kind == "none") {
    EXPECT_TRUE(picture.empty());
    return 0;
  }
  const bool adaptive = expected.kind == "adaptive";
  const int side = drawnSide ? drawnSide : adaptive ? 288 : 192;
  const double perDp = side / 72.0;
  EXPECT_EQ(image.width, side);
  EXPECT_EQ(image.height, side);
  if (image.width != side || image.height != side) return 0;
  if (adaptive) {
    for (const auto& [x, y] : {std::pair{0, 0}, {side - 1, 0}, {0, side - 1}, {side - 1, side - 1}}) {
      EXPECT_EQ(PixelArgb(image, x, y) >> 24, 0u) << "a transparent corner at " << x << "," << y;
    }
    EXPECT_EQ(PixelArgb(image, side / 2, side / 2) >> 24, 0xffu) << "an opaque centre";
  }
  int checked = 0;
  for (const ExpectedPoint& point : expected.points) {
    double px = point.x * side, py = point.y * side;
    if (adaptive) {
      px = (point.x * 108 - 18) * perDp;
      py = (point.y * 108 - 18) * perDp;
      if (std::hypot(px - side / 2.0, py - side / 2.0) > 34 * perDp) continue;  // masked away
    }
    const std::uint32_t got = PixelArgb(image, static_cast<int>(px), static_cast<int>(py));
    EXPECT_TRUE(ArgbNear(got, point.argb, point.tolerance))
        << "at " << point.x << "," << point.y << ": got #" << std::hex << got << ", want #" << point.argb;
    ++checked;
  }
  return checked;
}

const char* const kDrawn[] = {
    "adaptive-vector",   "vector-every-attribute", "vector-rich",     "adaptive-bitmap",
    "adaptive-shapes",   "adaptive-gradient",      "adaptive-wrappers", "adaptive-framework-colours",
    "groups-15",         "groups-16",              "tinted-vector",   "theme-colour",
    "self-inset",        "layer-list-layer",       "many-files",  // 48 files, fetched in three tree runs
};

class DrawnIconTest : public RunFolderTest {
 protected:
  TempFolder outside_;
};

TEST_F(DrawnIconTest, EveryPackageThroughTheDispatcher) {
  int checked = 0;
  for (const char* name : kDrawn) {
    const std::string stem = Fixture(std::string("drawn\\") + name);
    setSentinel();
    const ULONGLONG start = GetTickCount64();
    dispatch(stem + ".apk");
    std::printf("drawn %-24s %5llu ms\n", name, GetTickCount64() - start);
    checked += ExpectDrawing(stem, store_.picture());
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << name;
  }
  EXPECT_GE(checked, 12) << "points inside the circle were checked";
}

TEST_F(DrawnIconTest, CommandLineAndSplitBundle) {
  const struct {
    const char* file;
    const char* expectation;
    int size;  // --size; 0: none
  } cases[] = {
      {"drawn\\vector-rich.apk", "drawn\\vector-rich", 0},
      {"drawn\\adaptive-vector.apk", "drawn\\adaptive-vector", 1024},
      // The base names the bitmap foreground; only config.xxxhdpi.apk holds it.
      {"drawn\\adaptive-bitmap-split.xapk", "drawn\\adaptive-bitmap", 0},
      {"drawn\\tinted-vector.apk", "drawn\\tinted-vector", 64},
  };
  for (const auto& c : cases) {
    const std::string out = outside_.file("out.png");
    DeleteFileA(out.c_str());
    const std::string size = c.size ? "--size " + std::to_string(c.size) + " " : "";
    const int code = runCli(size + "\"" + Fixture(c.file) + "\" \"" + out + "\"");
    ExpectDrawing(Fixture(c.expectation), ReadWholeFile(out), c.size);
    EXPECT_EQ(code, ReadExpectation(Fixture(c.expectation) + ".expect").kind == "none" ? 1 : 0) << c.file;
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << c.file;
  }
}

}  // namespace
