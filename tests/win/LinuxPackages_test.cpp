// Linux packages and loose SVG files through tessaroo-cli under Wine with the
// real 7-Zip console, on fixtures built by tests/fixtures/make_linux.py: each
// package's icon by side and colour.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/PipelineHarness.h"

namespace {

class LinuxPackageCliTest : public RunFolderTest {};

TEST_F(LinuxPackageCliTest, EveryFixture) {
  const CliIcon cases[] = {
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
      {"linux\\demo-lzo.snap", 128, 140, 0, 200},  // LZO: left to 7-Zip
      {"linux\\desktop-only.snap", 80, 30, 30, 220},  // Icon=${SNAP}/meta/gui/app.png
      {"linux\\demo-lz4.snap", 128, 140, 0, 200},     // read in place: 7-Zip has no LZ4 decoder
      {"linux\\Demo-gzip-x86_64.AppImage", 96, 240, 140, 0},  // .DirIcon, a link to demo.png
      {"linux\\Demo-zstd-x86_64.AppImage", 96, 240, 140, 0},
      {"linux\\SvgDirIcon-x86_64.AppImage", 256, 0, 0, 0},  // an SVG .DirIcon, drawn
      {"linux\\Demo-type1-x86_64.AppImage", 96, 240, 140, 0},  // an ISO 9660 image, read in place
      {"linux\\lying-size.AppImage", 0, 0, 0, 0},  // a superblock claiming a terabyte
      // The scalable icon drawn at 256 before any PNG; a refused one falls back to the PNG.
      {"linux\\drawn_1.0_all.deb", 256, 0, 128, 128},
      {"linux\\filtered_1.0_all.deb", 48, 30, 30, 220},
      {"linux\\drawn.svg", 256, 0, 128, 128},
      {"linux\\drawn.svg", 64, 0, 128, 128, "--size 64 "},
      {"linux\\filtered.svg", 0, 0, 0, 0},
  };
  for (const CliIcon& c : cases) expectCliIcon(c);
}

// A refusal says why.
TEST_F(LinuxPackageCliTest, RefusalsSayWhy) {
  const struct {
    const char* fixture;
    const char* said;
  } cases[] = {
      {"linux\\escape_1.0_all.deb", "refused: Refused for safety (a link leading out of the package)"},
      {"apk\\crafted-quote.apk", "refused: Refused for safety (an unsafe entry name)"},
  };
  for (const auto& c : cases) {
    const TempFolder outside;
    std::string said;
    EXPECT_EQ(runCli("\"" + Fixture(c.fixture) + "\" \"" + outside.file("out.png") + "\"", said), 1) << c.fixture;
    EXPECT_EQ(said.rfind(c.said, 0), 0u) << said;
  }
}

}  // namespace
