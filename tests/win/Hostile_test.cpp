// Crafted packages and files against the real tools: nothing a package holds
// is planted beside the tools or run, nothing huge is decoded or written,
// nothing but an image becomes the picture, and no run leaves files behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "android/ApkIcon_win.h"
#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/PipelineHarness.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/ToolArgument_win.h"
#include "tools/WorkFolder_win.h"

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
// before anything runs; one whose directory lies (1,000 bytes listed, 256
// MiB inside) has its tool stopped just past the listed size. Nothing is
// written, nothing is left, and no case takes long (60 s: a hang guard).
TEST_F(HostileInputTest, OversizedEntriesAreNeverWritten) {
  for (const char* fixture : {"apk\\huge-entry.apk", "ipa\\huge-icon.ipa", "apk\\lying-size.apk"}) {
    setSentinel();
    const ULONGLONG start = GetTickCount64();
    dispatch(Fixture(fixture));
    EXPECT_LT(GetTickCount64() - start, 60000u) << fixture;
    EXPECT_FALSE(store_.hasPicture()) << fixture;
  }
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// 60,000 entries: the listing is read at the tool's own speed (seconds, not
// the minute a pipe under Wine took), and the icon among them is found.
TEST_F(HostileInputTest, SixtyThousandEntriesAreListedQuickly) {
  const ULONGLONG start = GetTickCount64();
  dispatch(Fixture("ipa\\many-entries.ipa"));
  EXPECT_LT(GetTickCount64() - start, 60000u);
  EXPECT_EQ(store_.picture(), ReadWholeFile(Fixture("ipa\\many-entries.icon")));
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

// Files at the longest path the host allows (Wine keeps Unix paths under
// 4,096 bytes): read through the wide calls, handed to UnZip and the
// packaging tool through an alias, and the icon written beside them.
TEST_F(HostileInputTest, FilesAtTheLongestPathGiveTheirIcons) {
  std::wstring deep = ExtendedLengthPath(outside_.path());
  while (deep.size() < 3700) {
    deep += L"\\" + std::wstring(200, L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
  }
  const std::string folder = CodePageFromWide(deep.substr(4), CP_ACP);  // as the user hands it over, no prefix
  const struct {
    const char* fixture;
    const char* expected;
    int side;
    std::uint32_t centre;  // 0xAARRGGBB, as the fixture scripts make it
  } kFiles[] = {
      {"apk\\plain-drawable.apk", "apk\\plain-drawable.icon", 64, 0xFF0A141E},
      {"ipa\\appex-among-three.ipa", "ipa\\appex-among-three.icon", 20, 0xFF00FF00},
      {"exe\\eight-then-32.exe", "exe\\eight-then-32.expect.png", 48, 0xFF283CDC},
  };
  for (const auto& row : kFiles) {
    const std::string name(row.fixture);
    const std::string path = folder + "\\" + name.substr(name.find('\\') + 1);
    ASSERT_TRUE(CopyTestFile(Fixture(row.fixture), path)) << row.fixture;
    const std::string out = path + ".png";
    EXPECT_EQ(runCli("\"" + path + "\" \"" + out + "\""), 0) << row.fixture;
    // Two files that fail to decode would compare equal: the size and a
    // pixel are checked first.
    const RgbaImage written = DecodePng(ReadWholeFile(out));
    ASSERT_EQ(written.width, row.side) << row.fixture;
    ASSERT_EQ(written.height, row.side) << row.fixture;
    EXPECT_EQ(PixelArgb(written, row.side / 2, row.side / 2), row.centre) << row.fixture;
    EXPECT_EQ(written.pixels, DecodePng(ReadWholeFile(Fixture(row.expected))).pixels) << row.fixture;
  }
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
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
    ASSERT_TRUE(CreateWorkFolder(folder));
    ASSERT_TRUE(WriteTestFile(folder + "\\pt.com", Bytes{'M', 'Z'}));
  }
  EXPECT_EQ(cli("apk\\no-icon.apk"), 1);
  EXPECT_EQ(GetFileAttributesA(ended.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA((running + "\\pt.com").c_str()), INVALID_FILE_ATTRIBUTES);
}

// Links and folders not of the program's making, planted under the names of
// ended runs' work folders (process 99991 cannot exist: Windows process ids
// are multiples of 4). The clean-up at start never reaches what they hold.
TEST_F(HostileInputTest, StaleWorkFolderNamesLeadNowhere) {
  const std::string genuine = folder_.file("~work-99991-100");
  ASSERT_TRUE(CreateWorkFolder(genuine));
  // Each plants at its name and gives the folder whose keep.txt must stay;
  // an empty answer when this system cannot make the plant.
  using Plant = std::string (*)(const std::string& name, const std::string& elsewhere, const std::string& genuine);
  const struct {
    const char* what;
    Plant plant;
  } kPlants[] = {
      {"Windows symbolic link", [](const std::string& name, const std::string& elsewhere, const std::string&) {
         // Wine 8 reports success and makes nothing.
         CreateSymbolicLinkW(WideFromAnsi(name).c_str(), WideFromAnsi(elsewhere).c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
         const DWORD attributes = GetFileAttributesA(name.c_str());
         return attributes != INVALID_FILE_ATTRIBUTES ? elsewhere : std::string();
       }},
      {"Unix symbolic link", [](const std::string& name, const std::string& elsewhere, const std::string&) {
         return CreateUnixSymbolicLink(elsewhere, name) ? elsewhere : std::string();
       }},
      {"junction", [](const std::string& name, const std::string& elsewhere, const std::string&) {
         return CreateJunction(elsewhere, name) ? elsewhere : std::string();
       }},
      {"folder without a marker", [](const std::string& name, const std::string&, const std::string&) {
         return CreateDirectoryA(name.c_str(), nullptr) ? name : std::string();
       }},
      {"copy of a work folder, its marker naming the original",
       [](const std::string& name, const std::string&, const std::string& genuine) {
         if (!CreateDirectoryA(name.c_str(), nullptr)) return std::string();
         for (FolderEntries entries(genuine + "\\*"); entries.valid(); entries.next()) {
           if (!CopyTestFile(genuine + "\\" + entries.name(), name + "\\" + entries.name())) return std::string();
         }
         return name;
       }},
  };
  const Bytes kept{'k', 'e', 'p', 't'};
  std::vector<std::pair<std::string, std::string>> victims;  // what, folder
  int n = 0;
  for (const auto& row : kPlants) {
    const std::string elsewhere = outside_.file("victim-" + std::to_string(++n));
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    const std::string victim = row.plant(folder_.file("~work-99991-" + std::to_string(n)), elsewhere, genuine);
    if (victim.empty()) {
      std::printf("[ NOTE     ] no %s on this system\n", row.what);
      continue;
    }
    ASSERT_TRUE(WriteTestFile(victim + "\\keep.txt", kept)) << row.what;
    victims.emplace_back(row.what, victim);
  }
  RemoveStaleWorkFolders(folder_.path());
  for (const auto& [what, victim] : victims) EXPECT_EQ(ReadWholeFile(victim + "\\keep.txt"), kept) << what;
  EXPECT_EQ(GetFileAttributesA(genuine.c_str()), INVALID_FILE_ATTRIBUTES);
}

// What an ended run's own work folder holds goes with it, but a subfolder is
// never entered, and a hard link to someone's read-only file neither goes
// nor changes that file's attributes.
TEST_F(HostileInputTest, StaleWorkFolderTakesOnlyItsOwnFiles) {
  const std::string plain = folder_.file("~work-99991-1");
  const std::string nested = folder_.file("~work-99991-2");
  const std::string linked = folder_.file("~work-99991-3");
  for (const std::string& folder : {plain, nested, linked}) ASSERT_TRUE(CreateWorkFolder(folder));
  const Bytes kept{'k', 'e', 'p', 't'};

  // A read-only file, an empty folder and a name beyond MAX_PATH, all its own.
  ASSERT_TRUE(WriteTestFile(plain + "\\read-only.png", kept));
  ASSERT_TRUE(SetFileAttributesA((plain + "\\read-only.png").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateDirectoryA((plain + "\\empty").c_str(), nullptr));
  const std::wstring longName = ExtendedLengthPath(plain) + L"\\" + std::wstring(240, L'x');
  ASSERT_GT(longName.size(), static_cast<std::size_t>(MAX_PATH + 4));
  ASSERT_TRUE(UniqueHandle(CreateFileW(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));

  ASSERT_TRUE(CreateDirectoryA((nested + "\\deep").c_str(), nullptr));
  ASSERT_TRUE(WriteTestFile(nested + "\\deep\\keep.txt", kept));

  const std::string own = outside_.file("own.apk");
  ASSERT_TRUE(WriteTestFile(own, kept));
  ASSERT_TRUE(SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(CreateHardLinkA((linked + "\\input.apk").c_str(), own.c_str(), nullptr));
  ASSERT_TRUE(WriteTestFile(linked + "\\entry.png", kept));

  RemoveStaleWorkFolders(folder_.path());
  EXPECT_EQ(GetFileAttributesA(plain.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadWholeFile(nested + "\\deep\\keep.txt"), kept);
  EXPECT_EQ(GetFileAttributesA((linked + "\\entry.png").c_str()), INVALID_FILE_ATTRIBUTES) << "the folder was cleared";
  EXPECT_EQ(ReadWholeFile(own), kept);
  EXPECT_EQ(ComparableAttributes(own), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A package at a path too long for the tools reaches them by its short
// name, copied nowhere, read-only as it is (a hard link would share that
// attribute); an alias that must be a copy is paid from the import's bytes,
// and refused when they do not cover it.
TEST_F(HostileInputTest, AliasesCopyOnlyWhatTheImportMayWrite) {
  const std::string big = Fixture("hostile\\" + FixtureLine("hostile\\read-only-big.path"));
  const WorkFolder work(folder_.path());
  const ToolArgument unzipped = ShortToolArgument(work, big);
  EXPECT_LE(unzipped.text.size(), kToolPathLimit);
  EXPECT_TRUE(IsSameFile(unzipped.text, big));
  EXPECT_EQ(unzipped.text.find(work.path()), std::string::npos) << "no alias in the work folder";

  const ImportBudget budget;
  ASSERT_TRUE(SpendWrittenBytes(kMaxBytesWrittenPerImport - 1000));
  ForceAliasWayForTesting(AliasWay::Copy);
  const ToolArgument copied = AnsiToolArgument(work, Fixture("apk\\five-densities.apk"));
  ForceAliasWayForTesting(AliasWay::Natural);
  EXPECT_EQ(copied.text, "");
  EXPECT_TRUE(budget.exhausted());
}

// The costly files of bench/make_hostile.py, whose time and memory make
// bench prints: each ends as what it is, in its icon or in the reason it
// has none.
struct CostlyFile {
  const char* file;    // under fixtures\hostile; a .path file holds the path there
  const char* reason;  // the reason's id; null: an icon
  int side;            // the icon's, with its first pixel as 0xAARRGGBB
  std::uint32_t first;
};
constexpr CostlyFile kCostlyFiles[] = {
    {"svg-big-path-use.svg", "damaged", 0, 0},
    {"svg-small-path-use.svg", "damaged", 0, 0},
    {"svg-gradient-use.svg", "damaged", 0, 0},
    {"svg-style-after-use.svg", "svg-feature", 0, 0},
    {"many-svg-icons.xpi", "svg-feature", 0, 0},
    {"many-entries.snap", nullptr, 96, 0xFF1EA01E},
    {"quadratic.xpi", nullptr, 16, 0xFF1E1EDC},
    {"huge-fat.dmg", "damaged", 0, 0},
    {"many-empty-files_1.0_all.deb", nullptr, 32, 0xFFF08C00},
    {"read-only-big.path", nullptr, 48, 0xFFDC1E1E},
    {"many-large-trees.apk", "no-icon", 0, 0},
};

class CostlyFileTest : public HostileInputTest, public testing::WithParamInterface<CostlyFile> {};

TEST_P(CostlyFileTest, EndsAsWhatItIs) {
  const CostlyFile& row = GetParam();
  std::string file = std::string("hostile\\") + row.file;
  if (file.ends_with(".path")) file = "hostile\\" + FixtureLine(file);
  const std::string out = outside_.file("out.png");
  std::string said;
  const int code = runCli("\"" + Fixture(file) + "\" \"" + out + "\"", said);
  if (row.reason) {
    EXPECT_EQ(code, 1);
    EXPECT_EQ(said.substr(0, said.find(':')), row.reason) << said;
  } else {
    ASSERT_EQ(code, 0) << said;
    const RgbaImage icon = DecodePng(ReadWholeFile(out));
    ASSERT_EQ(icon.width, row.side);
    ASSERT_EQ(icon.height, row.side);
    EXPECT_EQ(PixelArgb(icon, 0, 0), row.first);
  }
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(HostileFiles, CostlyFileTest, testing::ValuesIn(kCostlyFiles),
                         [](const testing::TestParamInfo<CostlyFile>& info) {
                           std::string name = info.param.file;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
