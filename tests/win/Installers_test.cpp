// Installers, other platforms' packages, SVG files, macOS apps and browser
// extensions through tessaroo-cli under Wine with the real 7-Zip console, on
// fixtures built by the tests' own scripts (tests/fixtures/make_installers.py,
// make_linux.py, make_mac_web.py): each kind's icon by side and colour. And
// the batch mode over a folder of mixed inputs.
#include <windows.h>

#include <gtest/gtest.h>

#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "tests/win/PipelineHarness.h"

namespace {

class InstallerCliTest : public RunFolderTest {};

TEST_F(InstallerCliTest, EveryFixture) {
  const CliIcon cases[] = {
      {"installer\\product-icon.msi", 48, 220, 30, 30},  // ARPPRODUCTICON's, though another is larger
      {"installer\\largest-icon.msi", 128, 30, 30, 220},  // no property: the largest icon stream
      {"installer\\program-icon.msi", 48, 40, 60, 220},   // a program's icon group (eight-then-32.exe)
      {"installer\\no-icon.msi", 0, 0, 0, 0},
      // The application's desktop entry's icon: its largest hicolor PNG.
      {"linux\\demo-xz_1.0_all.deb", 256, 30, 160, 30},
      {"linux\\demo-gzip_1.0_all.deb", 256, 30, 160, 30},
      {"linux\\demo-zstd_1.0_all.deb", 256, 30, 160, 30},
      {"linux\\linked_1.0_all.deb", 64, 30, 30, 220},  // a pixmap that links into another folder
      {"linux\\escape_1.0_all.deb", 0, 0, 0, 0},        // an icon path and a link out of the package
      {"linux\\demo-gz-1.0-1.noarch.rpm", 256, 30, 160, 30},
      {"linux\\demo-xz-1.0-1.noarch.rpm", 256, 30, 160, 30},
      {"linux\\demo-zst-1.0-1.noarch.rpm", 256, 30, 160, 30},
      {"linux\\demo-xz.snap", 128, 140, 0, 200},
      {"linux\\demo-lzo.snap", 128, 140, 0, 200},
      {"linux\\desktop-only.snap", 80, 30, 30, 220},  // Icon=${SNAP}/meta/gui/app.png
      {"linux\\demo-lz4.snap", 0, 0, 0, 0},           // 7-Zip has no LZ4 decoder
      {"linux\\Demo-gzip-x86_64.AppImage", 96, 240, 140, 0},  // .DirIcon, a link to demo.png
      {"linux\\Demo-zstd-x86_64.AppImage", 96, 240, 140, 0},
      {"linux\\SvgDirIcon-x86_64.AppImage", 72, 30, 160, 30},  // an SVG .DirIcon: the desktop entry's
      {"linux\\lying-size.AppImage", 0, 0, 0, 0},  // a superblock claiming a terabyte
      // The scalable icon drawn at 256 before any PNG; a refused one falls back to the PNG.
      {"linux\\drawn_1.0_all.deb", 256, 0, 128, 128},
      {"linux\\filtered_1.0_all.deb", 48, 30, 30, 220},
      {"linux\\drawn.svg", 256, 0, 128, 128},
      {"linux\\drawn.svg", 64, 0, 128, 128, "--size 64 "},
      {"linux\\filtered.svg", 0, 0, 0, 0},
      // macOS: png2icns's set (its 256-pixel JPEG 2000 entry skipped), the
      // script's own sets, and apps in ZIP archives.
      {"mac\\png2icns.icns", 128, 220, 30, 30},
      {"mac\\own.icns", 512, 30, 160, 30},
      {"mac\\classic.icns", 128, 240, 140, 0},
      {"mac\\Demo-mac.zip", 512, 30, 160, 30},
      {"mac\\Binary-plist.zip", 128, 240, 140, 0},
      {"mac\\Assets-car.zip", 0, 0, 0, 0},
      {"mac\\Linked-icon.zip", 0, 0, 0, 0},
      {"mac\\No-app.zip", 0, 0, 0, 0},
      {"mac\\Demo.dmg", 512, 30, 160, 30},
      {"mac\\Volume.dmg", 128, 240, 140, 0},  // no app: the volume's icon
      // Browser extensions: the largest icon, an SVG one drawn.
      {"mac\\demo.crx", 128, 30, 30, 220},
      {"mac\\drawn.xpi", 256, 0, 128, 128},
      {"mac\\action.xpi", 38, 240, 140, 0},
  };
  for (const CliIcon& c : cases) expectCliIcon(c);
}

}  // namespace

namespace {

class BatchCliTest : public RunFolderTest {
 protected:
  std::string text(const std::string& path) {
    const Bytes bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
};

// A folder of mixed inputs, a damaged one in the middle, two of one name in
// different folders, the output folder inside the input folder: every good
// input gives its PNG, the names are decided in input order, the report
// lists every input in that order, and the bad one makes the exit code 1.
TEST_F(BatchCliTest, AFolderOfMixedInputs) {
  TempFolder inputs;
  for (const char* folder : {"sub1", "sub2", "out"}) ASSERT_TRUE(CreateDirectoryA(inputs.file(folder).c_str(), nullptr));
  ASSERT_TRUE(CopyTestFile(Fixture("exe\\pe32-order.exe"), inputs.file("a.exe")));
  ASSERT_TRUE(WriteTestFile(inputs.file("bad.apk"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'}));
  ASSERT_TRUE(WriteTestFile(inputs.file("notes.txt"), Bytes{'h', 'i'}));  // no known kind: not taken from a folder
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\plain-drawable.apk"), inputs.file("sub1\\app.apk")));
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\five-densities.apk"), inputs.file("sub2\\app.apk")));
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\five-densities.apk"), inputs.file("out\\old.apk")));  // the output folder is skipped
  const std::string out = inputs.file("out"), report = inputs.file("report.json");

  EXPECT_EQ(runCli("--jobs 2 --report \"" + report + "\" --out \"" + out + "\" \"" + inputs.path() + "\""), 1);
  EXPECT_EQ(ReadWholeFile(out + "\\app.apk.png"), ReadWholeFile(Fixture("apk\\plain-drawable.icon")));
  EXPECT_EQ(ReadWholeFile(out + "\\app.apk (2).png"), ReadWholeFile(Fixture("apk\\five-densities.icon")));
  const RgbaImage exe = DecodePng(ReadWholeFile(out + "\\a.exe.png"));
  EXPECT_EQ(exe.width, 48);  // pe32-order.exe's 48-pixel green image
  EXPECT_EQ(exe.pixels.empty() ? 0 : exe.pixels[1], 180);
  EXPECT_FALSE(PathExists(out + "\\bad.apk.png"));
  EXPECT_FALSE(PathExists(out + "\\old.apk.png"));
  const std::string json = text(report);
  const std::size_t a = json.find("a.exe\""), bad = json.find("bad.apk\""), one = json.find("sub1"), two = json.find("sub2");
  ASSERT_NE(two, std::string::npos) << json;
  EXPECT_TRUE(a < bad && bad < one && one < two) << json;
  EXPECT_NE(json.find("\"reason\": \"damaged\"", bad), std::string::npos) << json;
  EXPECT_NE(json.find("\"width\": 192, \"height\": 192", one), std::string::npos) << json;
  EXPECT_EQ(json.find("notes.txt"), std::string::npos);

  // Only good inputs: 0; a file where the output folder should be: 3; usage: 2.
  EXPECT_EQ(runCli("--out \"" + out + "\" \"" + inputs.file("a.exe") + "\""), 0);
  EXPECT_EQ(runCli("--out \"" + inputs.file("notes.txt") + "\" \"" + inputs.file("a.exe") + "\""), 3);
  EXPECT_EQ(runCli("--jobs 0 --out \"" + out + "\" \"" + inputs.file("a.exe") + "\""), 2);
  EXPECT_EQ(runCli("--report \"" + report + "\" \"" + inputs.file("a.exe") + "\" x.png"), 2);
  EXPECT_EQ(leftovers({}), std::vector<std::string>{});
}

}  // namespace
