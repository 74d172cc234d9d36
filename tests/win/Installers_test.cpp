// Installers and other platforms' packages through tessaroo-cli under Wine
// with the real 7-Zip console, on fixtures built by the tests' own scripts
// (tests/fixtures/make_installers.py): each kind's icon by side and colour.
#include <gtest/gtest.h>

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
  };
  for (const CliIcon& c : cases) expectCliIcon(c);
}

}  // namespace
