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

class IpaPipelineTest : public RunFolderTest {
 protected:
  void expectFixture(const std::string& name, const std::string& packagePath = {}) {
    SCOPED_TRACE(name);
    store_.setBackground(kButtonFaceColour);
    store_.setPicture(ExtractIpaIcon(context_, packagePath.empty() ? Fixture("ipa\\" + name + ".ipa") : packagePath));
    const std::string mode = FixtureLine("ipa\\" + name + ".expect");
    if (mode == "none") {
      EXPECT_TRUE(store_.picture().empty()) << "no icon";
      EXPECT_EQ(store_.background(), kWhite) << "a run that finds no entry leaves the background white";
      return;
    }
    EXPECT_EQ(store_.background(), kButtonFaceColour);
    if (mode == "cleared") {
      EXPECT_TRUE(store_.picture().empty());
    } else if (mode == "bytes") {
      EXPECT_EQ(store_.picture(), ReadWholeFile(Fixture("ipa\\" + name + ".icon")));
    } else if (mode == "cgbi") {
      // True colours: red = stored byte 2, green = byte 1, blue = byte 0, opaque.
      const RgbaImage stored = DecodePng(NormalizeCgbiPng(ReadWholeFile(Fixture("ipa\\" + name + ".icon"))));
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
    EXPECT_EQ(GetFileAttributesA(context_.inRunDirectory("icon.png").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no work file is written";
  }
};

TEST_F(IpaPipelineTest, ChoosesAmongTheFirstThreeIconLinesBySize) {
  expectFixture("sizes-300-500-800");
  expectFixture("sizes-500-800-300-900");
  expectFixture("sizes-tie");
  expectFixture("single");
  expectFixture("appex-among-three");
  expectFixture("appex-fourth");
  EXPECT_EQ(GetFileAttributesA(context_.inRunDirectory("AppIcon60x60@3x.png").c_str()), INVALID_FILE_ATTRIBUTES)
      << "the extracted file is deleted";
}

TEST_F(IpaPipelineTest, CrushedIconsComeOutInTrueColours) {
  expectFixture("real-crushed");
  expectFixture("own-crushed");
  expectFixture("bmp-named-png");
}

TEST_F(IpaPipelineTest, NothingFoundGivesNoIconAndLeavesTheBackgroundWhite) {
  expectFixture("no-appicon");
  expectFixture("webp-only");
  ASSERT_TRUE(WriteTestFile(folder_.file("not a zip.ipa"), Bytes(4000, 'q')));
  expectFixture("no-appicon", folder_.file("not a zip.ipa"));
  const Bytes whole = ReadWholeFile(Fixture("ipa\\single.ipa"));
  ASSERT_TRUE(WriteTestFile(folder_.file("cut.ipa"), ByteSpan(whole).first(whole.size() / 3)));
  expectFixture("no-appicon", folder_.file("cut.ipa"));
  expectFixture("no-appicon", folder_.file("missing.ipa"));
}

TEST_F(IpaPipelineTest, PngInTheBundleNameStillGivesTheIcon) { expectFixture("pngview-bundle"); }

TEST_F(IpaPipelineTest, HostileEntryNamesRunNothing) {
  expectFixture("crafted-quote");
  EXPECT_EQ(GetFileAttributesA(context_.inRunDirectory("pwned.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  expectFixture("crafted-ampersand");
  expectFixture("crafted-percent");  // no interpreter expands it
  expectFixture("root-icon");
  expectFixture("crafted-dotdot");
  EXPECT_EQ(GetFileAttributesA((folder_.path() + "\\..\\AppIcon60x60.png").c_str()), INVALID_FILE_ATTRIBUTES)
      << "nothing is written above the run directory";
}

TEST_F(IpaPipelineTest, StaleFileOfTheSameNameNeverStopsTheExtraction) {
  ASSERT_TRUE(WriteTestFile(context_.inRunDirectory("AppIcon60x60@2x.png"), Bytes{1, 2, 3}));
  expectFixture("single");
}

TEST_F(IpaPipelineTest, PathWithBlanks) {
  TempFolder outside;
  const std::string path = outside.file("my app 1.0.ipa");
  ASSERT_TRUE(CopyTestFile(Fixture("ipa\\single.ipa"), path));
  expectFixture("single", path);
}

TEST_F(IpaPipelineTest, ChinesePathUnderCp936) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the Chinese system code page";
  TempFolder outside;
  const std::wstring path = WideFromAnsi(outside.path()) + L"\\\u5E94\u7528 \u5305.ipa";  // "应用 包.ipa"
  ASSERT_TRUE(CopyFileW(WideFromAnsi(Fixture("ipa\\single.ipa")).c_str(), path.c_str(), FALSE));
  expectFixture("single", CodePageFromWide(path, CP_ACP));
  DeleteFileW(path.c_str());
}

}  // namespace
