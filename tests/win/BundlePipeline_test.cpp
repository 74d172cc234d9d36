// Android split bundles (.xapk, .apks, .apkm) and icon entries named without
// an extension, under Wine with the real tools, on the packages built by
// tests/fixtures/make_bundles.py and make_apks.py: through the dispatcher (so
// through the route table) and through tessaroo-cli, and nothing a run
// extracted stays in the run directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "image/PngDecode.h"
#include "image/Picture_win.h"
#include "support/FileIo_win.h"
#include "tests/win/PipelineHarness.h"

namespace {

// What the picture (its first image, when a package's densities make an
// icon group) must be: the fixture's .icon file byte for byte, the pixels of
// the PNG a WebP icon was made from, or nothing.
enum class Shown { Bytes, Pixels, Nothing };

struct IconCase {
  const char* fixture;  // under the fixtures folder; NAME.expect and NAME.icon beside it
  Shown shown;
};

const IconCase kCases[] = {
    {"apk\\extensionless-png.apk", Shown::Bytes},
    {"apk\\extensionless-png-tail.apk", Shown::Bytes},
    {"apk\\extensionless-webp.apk", Shown::Pixels},
    {"apk\\extensionless-gif.apk", Shown::Nothing},   // a GIF the picture box would draw: dropped all the same
    {"bundle\\split-icon.xapk", Shown::Bytes},         // the manifest's base, the icon in config.xxhdpi.apk
    {"bundle\\bundletool.apks", Shown::Pixels},        // adaptive base, WebP in splits/base-xxhdpi.apk
    {"bundle\\store.apkm", Shown::Bytes},              // adaptive base, PNG in split_config.xxxhdpi.apk
    {"bundle\\whole-base.apks", Shown::Bytes},         // the base's own file
    {"bundle\\no-base.xapk", Shown::Nothing},
    {"bundle\\crafted-base.xapk", Shown::Nothing},     // a base named like a command line: refused, nothing runs
    {"bundle\\oversized-base.apks", Shown::Nothing},   // listed at 3 GiB: never extracted
    {"bundle\\long-name.xapk", Shown::Bytes},          // a 240-character entry name: nothing left behind
};

std::string Stem(const std::string& fixture) { return fixture.substr(0, fixture.rfind('.')); }

class BundlePipelineTest : public RunFolderTest {
 protected:
  void expectShown(const IconCase& c, const Bytes& shown) {
    SCOPED_TRACE(c.fixture);
    const Bytes picture = PictureAsPng(shown);
    EXPECT_EQ(FixtureLine(Stem(c.fixture) + ".expect") == "-", c.shown == Shown::Nothing) << "the fixture agrees";
    const Bytes icon = ReadWholeFile(Fixture(Stem(c.fixture) + ".icon"));
    switch (c.shown) {
      case Shown::Nothing: EXPECT_TRUE(picture.empty()); break;
      case Shown::Bytes: EXPECT_FALSE(icon.empty()); EXPECT_EQ(picture, icon); break;
      case Shown::Pixels: {
        const RgbaImage image = DecodePng(picture);
        ASSERT_FALSE(image.empty()) << "the converted work file is shown";
        EXPECT_EQ(image.pixels, DecodePng(icon).pixels);
        break;
      }
    }
  }

  TempFolder outside_;
};

TEST_F(BundlePipelineTest, EveryCaseThroughTheDispatcher) {
  for (const IconCase& c : kCases) {
    setSentinel();
    dispatch(Fixture(c.fixture));
    expectShown(c, store_.picture());
    // The densities the bundle holds (its splits', or its base's own), as
    // the fixture script recorded them.
    EXPECT_EQ(GroupSides(store_.picture()), FixtureLine(Stem(c.fixture) + ".sizes")) << c.fixture;
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << c.fixture;
  }
}

TEST_F(BundlePipelineTest, EveryCaseThroughTheCommandLine) {
  for (const IconCase& c : kCases) {
    const std::string out = outside_.file("out.png");
    DeleteFileA(out.c_str());
    const ULONGLONG start = GetTickCount64();
    const int code = runCli("\"" + Fixture(c.fixture) + "\" \"" + out + "\"");
    std::printf("tessaroo-cli %-34s %5llu ms\n", c.fixture, GetTickCount64() - start);
    EXPECT_EQ(code, c.shown == Shown::Nothing ? 1 : 0) << c.fixture;
    expectShown(c, ReadWholeFile(out));
    EXPECT_EQ(leftovers(), std::vector<std::string>{}) << c.fixture;
  }
}

// A bundle in a folder with blanks under an upper-case name, and a partly
// downloaded one, still reach the bundle route.
TEST_F(BundlePipelineTest, BundleNamesReachTheBundleRoute) {
  const std::string dir = outside_.file("with blanks");
  CreateDirectoryA(dir.c_str(), nullptr);
  const struct { const char* name; IconCase source; } cases[] = {
      {"My Bundle.XAPK", {"bundle\\split-icon.xapk", Shown::Bytes}},
      {"game.apks.part", {"bundle\\bundletool.apks", Shown::Pixels}},
  };
  for (const auto& c : cases) {
    const std::string path = dir + "\\" + c.name;
    ASSERT_TRUE(CopyTestFile(Fixture(c.source.fixture), path));
    setSentinel();
    dispatch(path);
    expectShown(c.source, store_.picture());
  }
}

}  // namespace
