// The Android package pipeline under Wine with the real packaging and unzip
// tools, on packages built by Debian's aapt (tests/fixtures/make_apks.py).
#include "android/ApkIcon_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/PngDecode.h"
#include "image/Picture_win.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/PipelineHarness.h"
#include "tools/WebpConvert_win.h"

namespace {

class ApkPipelineTest : public RunFolderTest {
 protected:
  // Runs the pipeline on a fixture package and checks its result against
  // what the fixture script recorded: the packed icon's bytes, or (for WebP
  // icons) the pixels of the PNG it was made from, or nothing; and, for a
  // package of several densities, the sizes of the icon group they make,
  // the recorded icon first.
  void expectFixture(const std::string& name, const std::string& packagePath = {}) {
    SCOPED_TRACE(name);
    store_.setPicture(ExtractApkIcon(context_, packagePath.empty() ? Fixture("apk\\" + name + ".apk") : packagePath));
    const std::string entry = FixtureLine("apk\\" + name + ".expect");
    if (entry == "-") {
      EXPECT_TRUE(store_.picture().empty()) << "no icon";
      return;
    }
    if (entry == "drawn") {  // black over white: a black disc on a transparent square
      const RgbaImage drawn = DecodePng(store_.picture());
      ASSERT_EQ(drawn.width, 288);
      EXPECT_EQ(PixelArgb(drawn, 144, 144), 0xff000000u);
      EXPECT_EQ(PixelArgb(drawn, 0, 0) >> 24, 0u);
      return;
    }
    const Bytes icon = ReadWholeFile(Fixture("apk\\" + name + ".icon"));
    ASSERT_FALSE(icon.empty());
    const std::string sizes = FixtureLine("apk\\" + name + ".sizes");
    EXPECT_EQ(GroupSides(store_.picture()), sizes) << "one image per density, largest first";
    const Bytes first = PictureAsPng(store_.picture());
    if (sizes.empty()) EXPECT_EQ(first, store_.picture()) << "a lone density stays a plain PNG";
    if (entry.ends_with(".webp")) {
      const RgbaImage shown = DecodePng(first);
      ASSERT_FALSE(shown.empty()) << "the converted work file is shown";
      EXPECT_EQ(shown.pixels, DecodePng(icon).pixels);
    } else {
      EXPECT_EQ(first, icon) << "the packed file, byte for byte";
    }
  }

  // The fixture through the pipeline, then nothing the run extracted stays:
  // the work folder is gone and only the converted work file may remain.
  void expectFixtureLeavingNothing(const std::string& name, const std::string& packagePath = {}) {
    expectFixture(name, packagePath);
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << name;
  }
};

TEST_F(ApkPipelineTest, EveryFixturePackage) {
  const struct { const char* fixture; const char* note; } cases[] = {
      {"five-densities", "the last icon line of the badging"},
      {"real-appium-settings", "a real package: six density lines, two of them one 48-pixel image"},
      {"mixed-nodpi", "the nodpi line comes last and is taken"},
      {"plain-drawable", ""},
      {"webpage-name", "a PNG, whatever its name holds"},
      {"adaptive-with-png", "an adaptive icon falls back to the densest raster file"},
      {"adaptive-only", "no raster file at all: drawn"},
      {"no-icon", ""},
      {"crafted-ampersand", "an odd but harmless entry name"},
      {"crafted-percent", "no interpreter expands it"},
      {"crafted-root", "an icon at the archive root"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    expectFixtureLeavingNothing(c.fixture);
  }
}

TEST_F(ApkPipelineTest, WebpIconsAreConvertedWithoutAWorkFileLeft) {
  expectFixtureLeavingNothing("webp-only");
  EXPECT_EQ(GetFileAttributesA(folder_.file("icon.png").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ApkPipelineTest, DamagedOrMissingPackagesGiveNothing) {
  TempFolder outside;  // the inputs stay out of the run directory, whose leftovers are checked
  expectFixtureLeavingNothing("no-icon", outside.file("missing.apk"));
  ASSERT_TRUE(WriteTestFile(outside.file("not a zip.apk"), Bytes(5000, 'x')));
  expectFixtureLeavingNothing("no-icon", outside.file("not a zip.apk"));
  const Bytes whole = ReadWholeFile(Fixture("apk\\five-densities.apk"));
  ASSERT_TRUE(WriteTestFile(outside.file("cut.apk"), ByteSpan(whole).first(whole.size() / 2)));
  expectFixtureLeavingNothing("no-icon", outside.file("cut.apk"));
}

TEST_F(ApkPipelineTest, PathWithBlanks) {
  TempFolder outside;
  const std::string dir = outside.file("with blanks");
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string path = dir + "\\my package.apk";
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\five-densities.apk"), path));
  expectFixtureLeavingNothing("five-densities", path);
  DeleteFileA(path.c_str());
  RemoveDirectoryA(dir.c_str());
}

TEST_F(ApkPipelineTest, ChinesePathUnderCp936) {
  if (GetACP() != 936) GTEST_SKIP() << "needs the Chinese system code page";
  TempFolder outside;
  const std::wstring dir = WideFromAnsi(outside.path()) + L"\\\u4E2D\u6587 \u76EE\u5F55";  // "中文 目录"
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring path = dir + L"\\\u56FE\u6807.apk";  // "图标.apk"
  ASSERT_TRUE(CopyFileW(WideFromAnsi(Fixture("apk\\five-densities.apk")).c_str(), path.c_str(), FALSE));
  expectFixtureLeavingNothing("five-densities", CodePageFromWide(path, CP_ACP));
  DeleteFileW(path.c_str());
  RemoveDirectoryW(dir.c_str());
}

// Entry names a hostile package could carry: nothing runs, nothing outside
// the run directory is touched, no icon.
TEST_F(ApkPipelineTest, HostileEntryNamesRunNothing) {
  expectFixtureLeavingNothing("crafted-quote");
  EXPECT_EQ(GetFileAttributesA(context_.inRunDirectory("pwned.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((TestProgramFolder() + "\\pwned.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  // The traversal entry would name this file two folders above the run directory.
  const std::string entry = FixtureLine("apk\\crafted-traversal.expect");
  EXPECT_EQ(entry, "-");
  const std::string victim = folder_.path() + "\\..\\..\\victimzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz.png";
  ASSERT_TRUE(WriteTestFile(victim, Bytes{1, 2, 3}));
  expectFixtureLeavingNothing("crafted-traversal");
  EXPECT_EQ(ReadWholeFile(victim), (Bytes{1, 2, 3}));
  DeleteFileA(victim.c_str());
}

// A .webp file taken in directly shows its pixels, also from a path with
// blanks; a file that is no WebP gives nothing.
TEST_F(ApkPipelineTest, WebpImportAndConversionsNeverShowAStalePicture) {
  const std::vector<std::uint8_t> expected = DecodePng(ReadWholeFile(Fixture("apk\\webp-only.icon"))).pixels;
  ASSERT_FALSE(expected.empty());
  dispatch(Fixture("apk\\webp-only.webp"));
  EXPECT_EQ(DecodePng(store_.picture()).pixels, expected);

  const std::string webp = folder_.file("in put.webp"), notWebp = folder_.file("not a webp.webp");
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\webp-only.webp"), webp));
  ASSERT_TRUE(WriteTestFile(notWebp, ReadWholeFile(Fixture("apk\\webp-only.apk"))));
  EXPECT_EQ(DecodePng(ConvertWebpToPng(context_, webp)).pixels, expected);
  EXPECT_TRUE(ConvertWebpToPng(context_, notWebp).empty());
}

}  // namespace
