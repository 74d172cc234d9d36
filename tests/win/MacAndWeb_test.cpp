// macOS icon sets, apps and disk images, and browser extensions through
// tessaroo-cli under Wine with the real 7-Zip console, on fixtures built by
// tests/fixtures/make_mac_web.py: each icon by side and colour.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/PipelineHarness.h"

namespace {

class MacAndWebCliTest : public RunFolderTest {};

TEST_F(MacAndWebCliTest, EveryFixture) {
  const CliIcon cases[] = {
      // macOS: png2icns's set (its largest entry, 256 pixels, JPEG 2000),
      // the script's own sets, and apps in ZIP archives.
      {"mac\\png2icns.icns", 256, 220, 30, 30},
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
      {"mac\\hostile-svgs.xpi", 16, 30, 30, 220},  // after seventy SVG icons refused, with no tool run
  };
  for (const CliIcon& c : cases) expectCliIcon(c);
}

TEST_F(MacAndWebCliTest, AnExtensionsRefusedSvgIconSaysWhy) {
  const TempFolder outside;
  std::string said;
  EXPECT_EQ(runCli("\"" + Fixture("mac\\refused.xpi") + "\" \"" + outside.file("out.png") + "\"", said), 1);
  EXPECT_EQ(said.rfind("damaged: Too large or damaged", 0), 0u) << said;
}

}  // namespace
