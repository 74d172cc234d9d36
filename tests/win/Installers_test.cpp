// Windows installers through tessaroo-cli under Wine with the real 7-Zip
// console, on fixtures built by tests/fixtures/make_installers.py: each
// kind's icon by side and colour.
#include <windows.h>

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
  };
  for (const CliIcon& c : cases) expectCliIcon(c);
}

}  // namespace
