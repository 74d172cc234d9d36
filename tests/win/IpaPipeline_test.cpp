// The iOS package pipeline under Wine with the real 7-Zip console, on
// packages built by tests/fixtures/make_ipas.py.
#include "ios/IpaIcon_win.h"

#include <gtest/gtest.h>

#include "image/CgbiPng.h"
#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/win/PipelineHarness.h"

namespace {

// What the picture must be, as tests/fixtures/make_ipas.py writes it in
// NAME.expect: NAME.icon exactly ("bytes"), NAME.icon in true colours
// ("cgbi"), an opaque red picture ("red"), no icon with the background left
// white ("none": no icon entry found).
struct IpaCase {
  const char* fixture;
  const char* shown;
};

const IpaCase kCases[] = {
    {"sizes-300-500-800", "bytes"},        // the largest of the first three
    {"sizes-500-800-300-900", "bytes"},    // the fourth never counts
    {"sizes-tie", "bytes"},                // a tie goes to the earlier
    {"single", "bytes"},
    {"appex-among-three", "bytes"},
    {"appex-fourth", "bytes"},
    {"real-crushed", "cgbi"},
    {"own-crushed", "cgbi"},
    {"bmp-named-png", "red"},              // re-encoded with its colours kept
    {"no-appicon", "none"},
    {"webp-only", "none"},
    {"pngview-bundle", "bytes"},           // "png" in the bundle's name
    {"crafted-quote", "none"},             // refused by name: nothing runs
    {"crafted-ampersand", "bytes"},
    {"crafted-percent", "bytes"},          // no interpreter expands it
    {"root-icon", "bytes"},
    {"crafted-dotdot", "bytes"},           // the tool drops the climbing folders
};

class IpaPipelineTest : public RunFolderTest {
 protected:
  void expectShown(const IpaCase& c, const std::string& packagePath = {}) {
    SCOPED_TRACE(std::string(c.fixture) + (packagePath.empty() ? "" : " as " + packagePath));
    const std::string mode = c.shown;
    if (packagePath.empty()) EXPECT_EQ(FixtureLine("ipa\\" + std::string(c.fixture) + ".expect"), mode) << "the fixture agrees";
    store_.setBackground(kButtonFaceColour);
    store_.setPicture(ExtractIpaIcon(context_, packagePath.empty() ? Fixture("ipa\\" + std::string(c.fixture) + ".ipa") : packagePath));
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << "nothing extracted outlives the run";
    if (mode == "none") {
      EXPECT_TRUE(store_.picture().empty()) << "no icon";
      EXPECT_EQ(store_.background(), kWhite) << "a run that finds no entry leaves the background white";
      return;
    }
    EXPECT_EQ(store_.background(), kButtonFaceColour);
    const Bytes icon = ReadWholeFile(Fixture("ipa\\" + std::string(c.fixture) + ".icon"));
    if (mode == "bytes") {
      EXPECT_FALSE(icon.empty());
      EXPECT_EQ(store_.picture(), icon);
    } else if (mode == "cgbi") {
      // True colours: red = stored byte 2, green = byte 1, blue = byte 0, opaque.
      const RgbaImage stored = DecodePng(NormalizeCgbiPng(icon));
      const RgbaImage shown = DecodePng(store_.picture());
      ASSERT_FALSE(stored.empty());
      ASSERT_EQ(shown.width, stored.width);
      ASSERT_EQ(shown.height, stored.height);
      for (std::size_t i = 0; i < shown.pixels.size(); i += 4) {
        ASSERT_EQ(shown.pixels[i], stored.pixels[i + 2]) << i;
        ASSERT_EQ(shown.pixels[i + 1], stored.pixels[i + 1]) << i;
        ASSERT_EQ(shown.pixels[i + 2], stored.pixels[i]) << i;
        ASSERT_EQ(shown.pixels[i + 3], 255) << i;
      }
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
