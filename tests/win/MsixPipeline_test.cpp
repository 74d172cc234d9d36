// Windows app packages and bundles through tessaroo-cli under Wine with the
// real 7-Zip console, on packages built by tests/fixtures/make_msix.py: the
// chosen logo by its side and colour, no icon where there is none to give,
// and nothing left in the run directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "app/Intake_win.h"
#include "app/Routes_win.h"
#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/win/PipelineHarness.h"
#include "windows/MsixIcon_win.h"

namespace {

class MsixCliTest : public RunFolderTest {};

TEST_F(MsixCliTest, EveryFixture) {
  const CliIcon cases[] = {
      {"msix\\variants.msix", 48, 0, 128, 255},            // targetsize-48_altform-unplated
      {"msix\\variants.appx", 48, 0, 128, 255},
      {"msix\\blank-name.msix", 88, 200, 40, 0},           // My%20Logo.scale-200.png
      {"msix\\folder-qualifiers.msix", 176, 0, 200, 100},  // scale-400\Logo.png
      {"msix\\fallback.msix", 300, 240, 0, 240},           // Square150x150Logo.scale-200.png
      // The x86 package is red and listed first; the x64 one, "App x64.msix"
      // stored as App%20x64.msix, is blue.
      {"msix\\bundle.msixbundle", 32, 0, 0, 255},
      {"msix\\bundle.appxbundle", 32, 0, 0, 255},
      {"msix\\no-logo.msix", 0, 0, 0, 0},
      {"msix\\doctype.msix", 0, 0, 0, 0},      // a document type declaration refuses the manifest
      {"msix\\bomb.msixbundle", 0, 0, 0, 0},   // a 100 MiB package inside 100 KiB is never written out
      {"msix\\tar-layout.msix", 0, 0, 0, 0},   // packages are ZIP archives; other formats are not read
  };
  for (const CliIcon& c : cases) expectCliIcon(c);
}

TEST(MsixRoutes, FourExtensionsTwoPipelinesListedForImport) {
  const std::pair<const char*, IconPipeline> cases[] = {
      {"C:\\in\\App.msix", ExtractMsixIcon},
      {"C:\\in\\App.APPX", ExtractMsixIcon},
      {"C:\\in\\App.msixbundle", ExtractMsixBundleIcon},
      {"C:\\in\\App.AppxBundle", ExtractMsixBundleIcon},
      {"C:\\in\\App.msixbundle.part", ExtractMsixBundleIcon},  // still downloading: the kind before the suffix
  };
  for (const auto& [path, pipeline] : cases) {
    const InputRoute* route = RouteByPath(path, InputRoutes(), SystemLeadByte);
    ASSERT_NE(route, nullptr) << path;
    EXPECT_EQ(route->pipeline, pipeline) << path;
  }
  EXPECT_NE(ImportDialogFilter().find(L"*.msixbundle;*.appxbundle;*.msix;*.appx"), std::wstring::npos);
}

}  // namespace
