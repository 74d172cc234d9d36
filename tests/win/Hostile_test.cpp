// Crafted packages and files against the real tools: nothing a package holds
// is planted beside the tools or run, nothing huge is decoded or written,
// nothing but an image becomes the picture, and no run leaves files behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "android/ApkIcon_win.h"
#include "support/FileIo_win.h"
#include "tests/win/PipelineHarness.h"

namespace {

class HostileInputTest : public RunFolderTest {
 protected:
  void SetUp() override {
    RunFolderTest::SetUp();
    DeleteFileA(PayloadMarker().c_str());
  }
  void TearDown() override {
    DeleteFileA(PayloadMarker().c_str());
    RunFolderTest::TearDown();
  }

  static bool PayloadRan() { return GetFileAttributesA(PayloadMarker().c_str()) != INVALID_FILE_ATTRIBUTES; }


  // Runs tessaroo-cli on a fixture; its exit code, and the icon in *icon.
  int cli(const std::string& fixture, Bytes* icon = nullptr) {
    const std::string out = outside_.file("out.png");
    DeleteFileA(out.c_str());
    const int code = runCli("\"" + Fixture(fixture) + "\" \"" + out + "\"");
    if (icon) *icon = ReadWholeFile(out);
    return code;
  }

  void plantPayloadAs(const std::string& name) {
    ASSERT_TRUE(CopyTestFile(TestProgramFolder() + "\\payload.exe", folder_.file(name))) << name;
  }

  TempFolder outside_;
};

// The iOS package uses its icon's name as a folder holding programs named
// like the tools and the interpreter, and 100 MiB of zeros. The next
// packages in the same run directory still run the real tools.
TEST_F(HostileInputTest, PackageCanNeitherPlantNorRunPrograms) {
  Bytes icon;
  EXPECT_EQ(cli("ipa\\crafted-folder-icon.ipa", &icon), 0);
  EXPECT_EQ(icon, ReadWholeFile(Fixture("ipa\\crafted-folder-icon.icon")));
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
  EXPECT_EQ(cli("apk\\five-densities.apk", &icon), 0);
  EXPECT_EQ(icon, ReadWholeFile(Fixture("apk\\five-densities.icon")));
  EXPECT_EQ(cli("ipa\\single.ipa", &icon), 0);
  EXPECT_EQ(icon, ReadWholeFile(Fixture("ipa\\single.icon")));
  EXPECT_FALSE(PayloadRan());
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// Programs already planted beside the command-line program: the command
// interpreter, which CreateProcess would find there first, and tool names
// an interpreter would resolve before the .exe. No route starts any of them.
TEST_F(HostileInputTest, NoRouteStartsAnInterpreterOrAPlantedTool) {
  for (const char* name : {"cmd.exe", "command.com", "pt.com", "uz.com", "za.com", "dwebp.com"}) plantPayloadAs(name);
  EXPECT_EQ(cli("apk\\five-densities.apk"), 0);
  EXPECT_EQ(cli("apk\\webp-only.apk"), 0);
  EXPECT_EQ(cli("apk\\adaptive-with-png.apk"), 0);
  EXPECT_EQ(cli("ipa\\single.ipa"), 0);
  EXPECT_EQ(cli("apk\\webp-only.webp"), 0);
  EXPECT_EQ(cli("exe\\large-ids.exe"), 0);
  EXPECT_FALSE(PayloadRan());
}

// A 34-byte WebP declaring 16383 x 16383 would make the decoder allocate a
// gigabyte. The decoder is replaced by the stand-in here: it must not start.
TEST_F(HostileInputTest, HugeWebpCanvasNeverReachesTheDecoder) {
  plantPayloadAs("dwebp.exe");
  dispatch(Fixture("apk\\huge-canvas.webp"));
  EXPECT_FALSE(store_.hasPicture());
  dispatch(Fixture("apk\\webp-huge.apk"));
  EXPECT_FALSE(store_.hasPicture());
  EXPECT_FALSE(PayloadRan());
  dispatch(Fixture("apk\\webp-only.webp"));
  EXPECT_TRUE(PayloadRan()) << "an ordinary WebP does reach the (stand-in) decoder";
}

// Entries whose directory size is above the 64 MiB read cap are refused
// before anything is written.
TEST_F(HostileInputTest, OversizedEntriesAreNeverWritten) {
  for (const char* fixture : {"apk\\huge-entry.apk", "ipa\\huge-icon.ipa"}) {
    setSentinel();
    dispatch(Fixture(fixture));
    EXPECT_FALSE(store_.hasPicture()) << fixture;
  }
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// Names Windows files cannot carry: the tools would write another name (or
// open a device), and the pipeline would look for the original.
TEST_F(HostileInputTest, UnwritableNamesLeaveNothingBehind) {
  for (const char* fixture : {"apk\\crafted-pipe.apk", "apk\\crafted-reserved.apk", "ipa\\crafted-pipe.ipa",
                              "ipa\\crafted-reserved.ipa"}) {
    setSentinel();
    dispatch(Fixture(fixture));
    EXPECT_FALSE(store_.hasPicture()) << fixture;
  }
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// Whatever bytes a package stores under its icon's name come out of the
// pipeline; only an image becomes the picture.
TEST_F(HostileInputTest, OnlyImagesBecomePictures) {
  const Bytes stored = ExtractApkIcon(context_, Fixture("apk\\pe-as-icon.apk"));
  ASSERT_GE(stored.size(), 2u);
  EXPECT_EQ(std::string(stored.begin(), stored.begin() + 2), "MZ");
  dispatch(Fixture("apk\\pe-as-icon.apk"));
  EXPECT_FALSE(store_.hasPicture());
  EXPECT_EQ(cli("apk\\pe-as-icon.apk"), 1);
}

// With no interpreter, a percent sign in the user's own file name is text.
TEST_F(HostileInputTest, PercentInAFileNameReachesTheToolUnchanged) {
  SetEnvironmentVariableA("OS", "Windows_NT");
  const std::string own = outside_.file("a%OS%b.apk");
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\plain-drawable.apk"), own));
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\five-densities.apk"), outside_.file("aWindows_NTb.apk")));
  dispatch(own);
  EXPECT_EQ(store_.picture(), ReadWholeFile(Fixture("apk\\plain-drawable.icon")));
}

// A run cut short by the end of its process leaves its work folder; the next
// start removes it, and leaves those of running processes alone.
TEST_F(HostileInputTest, WorkFoldersOfEndedRunsAreRemovedAtStart) {
  const std::string ended = folder_.file("~work-4000000000-1");
  const std::string running = folder_.file("~work-" + std::to_string(GetCurrentProcessId()) + "-1");
  for (const std::string& folder : {ended, running}) {
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteTestFile(folder + "\\pt.com", Bytes{'M', 'Z'}));
  }
  EXPECT_EQ(cli("apk\\no-icon.apk"), 1);
  EXPECT_EQ(GetFileAttributesA(ended.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA((running + "\\pt.com").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
