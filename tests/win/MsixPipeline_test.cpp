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

struct PackageCase {
  const char* fixture;
  int side;  // 0: no icon (exit 1, no output)
  std::uint8_t red, green, blue;
};

class MsixCliTest : public RunFolderTest {
 protected:

  void expectCase(const PackageCase& c) {
    SCOPED_TRACE(c.fixture);
    const std::string out = outside_.file("out.png");
    DeleteFileA(out.c_str());
    const ULONGLONG start = GetTickCount64();
    const int code = runCli("\"" + Fixture(std::string("msix\\") + c.fixture) + "\" \"" + out + "\"");
    // The figure per kind for the record; Wine's start-up is most of it.
    std::printf("tessaroo-cli %s: %llu ms\n", c.fixture, GetTickCount64() - start);
    if (c.side == 0) {
      EXPECT_EQ(code, 1);
      EXPECT_EQ(GetFileAttributesA(out.c_str()), INVALID_FILE_ATTRIBUTES);
    } else {
      EXPECT_EQ(code, 0);
      const RgbaImage icon = DecodePng(ReadWholeFile(out));
      EXPECT_EQ(icon.width, c.side);
      EXPECT_EQ(icon.height, c.side);
      ASSERT_GE(icon.pixels.size(), 4u);
      EXPECT_EQ(icon.pixels[0], c.red);
      EXPECT_EQ(icon.pixels[1], c.green);
      EXPECT_EQ(icon.pixels[2], c.blue);
    }
    EXPECT_EQ(leftovers({}), std::vector<std::string>{}) << "nothing extracted outlives the run";
  }

  TempFolder outside_;
};

TEST_F(MsixCliTest, EveryFixture) {
  const PackageCase cases[] = {
      {"variants.msix", 48, 0, 128, 255},            // targetsize-48_altform-unplated
      {"variants.appx", 48, 0, 128, 255},
      {"blank-name.msix", 88, 200, 40, 0},           // My%20Logo.scale-200.png
      {"folder-qualifiers.msix", 176, 0, 200, 100},  // scale-400\Logo.png
      {"fallback.msix", 300, 240, 0, 240},           // Square150x150Logo.scale-200.png
      // The x86 package is red and listed first; the x64 one, "App x64.msix"
      // stored as App%20x64.msix, is blue.
      {"bundle.msixbundle", 32, 0, 0, 255},
      {"bundle.appxbundle", 32, 0, 0, 255},
      {"no-logo.msix", 0, 0, 0, 0},
      {"doctype.msix", 0, 0, 0, 0},      // a document type declaration refuses the manifest
      {"bomb.msixbundle", 0, 0, 0, 0},   // a 100 MiB package inside 100 KiB is never written out
      {"tar-layout.msix", 0, 0, 0, 0},   // packages are ZIP archives; other formats are not read
  };
  for (const PackageCase& c : cases) expectCase(c);
}

TEST(MsixRoutes, FourExtensionsTwoPipelinesListedForImport) {
  const std::pair<const char*, IconPipeline> cases[] = {
      {"C:\\in\\App.msix", ExtractMsixIcon},
      {"C:\\in\\App.APPX", ExtractMsixIcon},
      {"C:\\in\\App.msixbundle", ExtractMsixBundleIcon},
      {"C:\\in\\App.AppxBundle", ExtractMsixBundleIcon},
      {"C:\\in\\App.msixbundle.part", ExtractMsixBundleIcon},  // no kind of its own: the first text found
  };
  for (const auto& [path, pipeline] : cases) {
    const InputRoute* route = RouteByPath(path, InputRoutes(), SystemLeadByte);
    ASSERT_NE(route, nullptr) << path;
    EXPECT_EQ(route->pipeline, pipeline) << path;
  }
  EXPECT_NE(ImportDialogFilter().find(L"*.msixbundle;*.appxbundle;*.msix;*.appx"), std::wstring::npos);
}

}  // namespace
