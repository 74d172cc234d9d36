// The iOS package pipeline under Wine with the real 7-Zip console, on
// packages built by tests/fixtures/make_ipas.py.
#include "ios/IpaIcon_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/PipelineHarness.h"

namespace {

// What the picture must be, as tests/fixtures/make_ipas.py writes it in
// NAME.expect: NAME.icon exactly ("bytes"), a crushed icon in true colours
// with its transparency, of the size and with the pixels (0xAARRGGBB) the
// row gives ("cgbi"), an opaque red picture ("red"), or no icon ("none":
// no icon entry found).
struct Pixel {
  int x, y;
  std::uint32_t argb;
};
struct IpaCase {
  const char* fixture;
  const char* shown;
  int width = 0, height = 0;
  std::vector<Pixel> pixels = {};
};

const IpaCase kCases[] = {
    {"sizes-300-500-800", "bytes"},        // the largest of three
    {"sizes-500-800-300-900", "bytes"},    // the fourth counts too: 900 bytes
    {"sizes-tie", "bytes"},                // a tie goes to the earlier
    {"single", "bytes"},
    {"appex-among-three", "bytes"},        // the extension's larger icon is not the app's
    {"appex-fourth", "bytes"},
    // Stored B, G, R, A read by hand from the file: (0, 0) 0, 0, 0, 0;
    // (90, 90) 102, 153, 153, 255; (20, 90) 78, 118, 195, 255.
    {"real-crushed", "cgbi", 180, 180, {{0, 0, 0x00000000}, {90, 90, 0xFF999966}, {20, 90, 0xFFC3764E}}},
    // (0, 0): blue 200 at alpha 128, stored as 200 * 128 / 255 = 100, shown
    // as 100 * 255 / 128 = 199; (1, 0): red 40, blue 200, opaque.
    {"own-crushed", "cgbi", 40, 40, {{0, 0, 0x800000C7}, {1, 0, 0xFF2800C8}}},
    // The 167 pixel icon, sixth of the set; transparent corners, and in the
    // middle red and green 83 * 255 / 166 = 127, blue 200.
    {"ipad-crushed", "cgbi", 167, 167, {{0, 0, 0x00000000}, {166, 166, 0x00000000}, {83, 83, 0xFF7F7FC8}}},
    {"bmp-named-png", "red"},              // re-encoded with its colours kept
    {"no-appicon", "none"},
    {"webp-only", "none"},
    {"pngview-bundle", "bytes"},           // "png" in the bundle's name
    {"crafted-quote", "none"},             // refused by name: nothing runs
    {"crafted-ampersand", "bytes"},
    {"crafted-percent", "bytes"},          // no interpreter expands it
    {"root-icon", "none"},                 // not in Payload\<name>.app
    {"crafted-dotdot", "none"},            // in folders of the app: no icon of its own
};

class IpaPipelineTest : public RunFolderTest {
 protected:
  void expectShown(const IpaCase& c, const std::string& packagePath = {}) {
    SCOPED_TRACE(std::string(c.fixture) + (packagePath.empty() ? "" : " as " + packagePath));
    const std::string mode = c.shown;
    if (packagePath.empty()) EXPECT_EQ(FixtureLine("ipa\\" + std::string(c.fixture) + ".expect"), mode) << "the fixture agrees";
    store_.setPicture(ExtractIpaIcon(context_, packagePath.empty() ? Fixture("ipa\\" + std::string(c.fixture) + ".ipa") : packagePath));
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << "nothing extracted outlives the run";
    if (mode == "none") {
      EXPECT_TRUE(store_.picture().empty()) << "no icon";
      return;
    }
    const Bytes icon = ReadWholeFile(Fixture("ipa\\" + std::string(c.fixture) + ".icon"));
    if (mode == "bytes") {
      EXPECT_FALSE(icon.empty());
      EXPECT_EQ(store_.picture(), icon);
    } else if (mode == "cgbi") {
      const RgbaImage shown = DecodePng(store_.picture());
      ASSERT_EQ(shown.width, c.width);
      ASSERT_EQ(shown.height, c.height);
      for (const Pixel& p : c.pixels) EXPECT_EQ(PixelArgb(shown, p.x, p.y), p.argb) << p.x << "," << p.y;
    } else if (mode == "red") {
      const RgbaImage shown = DecodePng(store_.picture());
      ASSERT_FALSE(shown.empty());
      EXPECT_EQ(shown.pixels[0], 255);
      EXPECT_EQ(shown.pixels[2], 0) << "colours kept: only crushed data has red and blue exchanged";
    } else {
      FAIL() << "unknown expectation " << mode;
    }
  }
};

TEST_F(IpaPipelineTest, EveryFixture) {
  for (const IpaCase& c : kCases) expectShown(c);
  EXPECT_EQ(GetFileAttributesA(context_.inRunDirectory("pwned.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((folder_.path() + "\\..\\AppIcon60x60.png").c_str()), INVALID_FILE_ATTRIBUTES)
      << "nothing is written above the run directory";
}

TEST_F(IpaPipelineTest, UnreadablePackagesGiveNoIcon) {
  TempFolder outside;
  ASSERT_TRUE(WriteTestFile(outside.file("not a zip.ipa"), Bytes(4000, 'q')));
  const Bytes whole = ReadWholeFile(Fixture("ipa\\single.ipa"));
  ASSERT_TRUE(WriteTestFile(outside.file("cut.ipa"), ByteSpan(whole).first(whole.size() / 3)));
  for (const char* name : {"not a zip.ipa", "cut.ipa", "missing.ipa"}) expectShown({"no-appicon", "none"}, outside.file(name));
}

TEST_F(IpaPipelineTest, StaleFileOfTheSameNameNeverStopsTheExtraction) {
  ASSERT_TRUE(WriteTestFile(context_.inRunDirectory("AppIcon60x60@2x.png"), Bytes{1, 2, 3}));
  startNames_ = runDirectoryNames();
  expectShown({"single", "bytes"});
}

TEST_F(IpaPipelineTest, PathWithBlanks) {
  TempFolder outside;
  const std::string path = outside.file("my app 1.0.ipa");
  ASSERT_TRUE(CopyTestFile(Fixture("ipa\\single.ipa"), path));
  expectShown({"single", "bytes"}, path);
}

TEST_F(IpaPipelineTest, ChinesePathUnderCp936) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the Chinese system code page";
  TempFolder outside;
  const std::wstring path = WideFromAnsi(outside.path()) + L"\\\u5E94\u7528 \u5305.ipa";  // "应用 包.ipa"
  ASSERT_TRUE(CopyFileW(WideFromAnsi(Fixture("ipa\\single.ipa")).c_str(), path.c_str(), FALSE));
  expectShown({"single", "bytes"}, CodePageFromWide(path, CP_ACP));
  DeleteFileW(path.c_str());
}

}  // namespace
