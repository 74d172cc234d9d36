// File names in any language. This program carries the same UTF-8 manifest
// as the program, so its narrow text is UTF-8 as the program's is, and CTest
// runs it under code page 1252 and again under 936.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "android/ApkIcon_win.h"
#include "image/PngDecode.h"
#include "image/Picture_win.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/win/PipelineHarness.h"
#include "tools/HelperTools.h"
#include "tools/HelperTools_win.h"
#include "tools/ToolArgument_win.h"

namespace {

// Where a fixture is copied, and what the icon must be: the bytes of an
// expectation file, or (for WebP icons, "webp:") the pixels of the PNG the
// icon was made from.
struct NameCase {
  const char* path;
  const char* fixture;
  const char* expected;
};

const NameCase kNames[] = {
    {"u_中文\\微信.apk", "apk\\five-densities.apk", "apk\\five-densities.icon"},
    {"u_中文\\plain.apk", "apk\\plain-drawable.apk", "apk\\plain-drawable.icon"},
    {"한국어.apk", "apk\\webp-only.apk", "webp:apk\\webp-only.icon"},
    {"😀\\😀.ipa", "ipa\\single.ipa", "ipa\\single.icon"},
    {"응용 프로그램\\微信.ipa", "ipa\\chinese-app.ipa", "ipa\\chinese-app.icon"},
    {"程序\\图标 ü.exe", "exe\\pe32-order.exe", "pixels:exe\\pe32-order.expect.png"},
    {"图标 한국.webp", "apk\\webp-only.webp", "webp:apk\\webp-only.icon"},
    {"应用 包\\微信 ü.msixbundle", "msix\\bundle.msixbundle", "msix\\bundle.icon"},
    {"u_中文\\微信.xapk", "bundle\\split-icon.xapk", "bundle\\split-icon.icon"},
    {"😀 한국어.apks", "bundle\\bundletool.apks", "webp:bundle\\bundletool.icon"},
};

// A file's bytes and times, to show the program left it exactly as it was.
struct FileStamp {
  Bytes bytes;
  FILETIME created{}, written{};
  DWORD attributes = 0;
  bool operator==(const FileStamp& o) const {
    return bytes == o.bytes && CompareFileTime(&created, &o.created) == 0 &&
           CompareFileTime(&written, &o.written) == 0 && attributes == o.attributes;
  }
};

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  stamp.bytes = ReadWholeFile(path);
  stamp.attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    GetFileTime(file, &stamp.created, nullptr, &stamp.written);
    CloseHandle(file);
  }
  return stamp;
}

class UnicodeNamesTest : public RunFolderTest {
 protected:
  void SetUp() override {
    RunFolderTest::SetUp();
    ASSERT_TRUE(ProcessTextIsUtf8()) << "the test program carries the UTF-8 manifest";
  }
  void TearDown() override {
    ForceAliasWayForTesting(AliasWay::Natural);
    RunFolderTest::TearDown();
  }

  // Copies the fixture to the case's path under inputs_, making its folder.
  std::string place(const NameCase& c) {
    const std::string path = inputs_.path() + "\\" + c.path;
    const std::size_t slash = path.rfind('\\');
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    EXPECT_TRUE(CopyTestFile(Fixture(c.fixture), path)) << c.path;
    return path;
  }

  void expectIcon(const Bytes& picture, const std::string& expected, const std::string& what) {
    // The image shown first, when a package's densities make an icon group.
    const Bytes shown = PictureAsPng(picture);
    // "webp:" (a WebP converted) and "pixels:" (a bitmap saved as PNG): the
    // same pixels in a PNG of our own encoding.
    const std::size_t colon = expected.find(':');
    if (colon != std::string::npos) {
      const RgbaImage image = DecodePng(shown);
      ASSERT_FALSE(image.empty()) << what;
      EXPECT_EQ(image.pixels, DecodePng(ReadWholeFile(Fixture(expected.substr(colon + 1)))).pixels) << what;
    } else {
      EXPECT_EQ(shown, ReadWholeFile(Fixture(expected))) << what;
    }
  }

  // Names in a run directory other than the tools, the command-line program
  // and the work file: aliases, links or work folders left behind.
  static std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> extra;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return extra;
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == ".." || name == "icon.png" || name == "tessaroo-cli.exe") continue;
      bool tool = false;
      for (const HelperTool& t : kHelperTools) tool = tool || name == t.fileName;
      if (!tool) extra.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return extra;
  }

  TempFolder inputs_{"-名前 이름"};
};

// The whole table through tessaroo-cli, from a plain run directory and from
// one whose own name is Chinese (on code page 1252 the packaging tool then
// cannot even be told where the run directory is).
TEST_F(UnicodeNamesTest, EveryKindWithNamesInAnyLanguage) {
  TempFolder chineseRun("-run_中文");
  HMODULE program = LoadLibraryExA((TestProgramFolder() + "\\Tessaroo.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(program);
  DeployHelperTools(program, chineseRun.path());
  FreeLibrary(program);

  std::vector<std::pair<std::string, std::string>> inputs;  // path, expectation
  for (const NameCase& c : kNames) inputs.emplace_back(place(c), c.expected);
  const std::string target = inputs_.path() + "\\程序\\图标 ü.exe";
  const std::string lnk = inputs_.path() + "\\快捷 方式.lnk";
  ASSERT_TRUE(CreateShellShortcut(target, lnk));
  inputs.emplace_back(lnk, "pixels:exe\\pe32-order.expect.png");
  std::vector<FileStamp> before;
  for (const auto& input : inputs) before.push_back(StampOf(input.first));

  for (const std::string& run : {folder_.path(), chineseRun.path()}) {
    for (const auto& [path, expected] : inputs) {
      const std::string out = inputs_.path() + "\\输出 출력.png";
      DeleteFileA(out.c_str());
      EXPECT_EQ(runCli("\"" + path + "\" \"" + out + "\"", run), 0) << path << " from " << run;
      expectIcon(ReadWholeFile(out), expected, path + " from " + run);
    }
    EXPECT_EQ(Leftovers(run), std::vector<std::string>{}) << run;
  }
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_TRUE(StampOf(inputs[i].first) == before[i]) << "left exactly as it was: " << inputs[i].first;
  }
}

// Every way a path can reach the packaging tool, forced in turn (Wine always
// has 8.3 names, so the others would never run on their own).
TEST_F(UnicodeNamesTest, EveryWayToHandThePackagingToolAPath) {
  const NameCase c = kNames[0];
  const std::string package = place(c);
  const FileStamp before = StampOf(package);
  for (AliasWay way : {AliasWay::Natural, AliasWay::ShortName, AliasWay::HardLink, AliasWay::Copy,
                       AliasWay::BareInWorkFolder}) {
    ForceAliasWayForTesting(way);
    expectIcon(ExtractApkIcon(context_, package), c.expected, "way " + std::to_string(static_cast<int>(way)));
    EXPECT_EQ(Leftovers(folder_.path()), std::vector<std::string>{});
  }
  EXPECT_TRUE(StampOf(package) == before);

  // A read-only file is never linked (a link shares its attributes, and the
  // link's removal would have to clear them): it is copied.
  ASSERT_TRUE(SetFileAttributesW(WideFromUtf8(package).c_str(), FILE_ATTRIBUTE_READONLY));
  const FileStamp readOnly = StampOf(package);
  ForceAliasWayForTesting(AliasWay::HardLink);
  expectIcon(ExtractApkIcon(context_, package), c.expected, "read-only");
  EXPECT_TRUE(StampOf(package) == readOnly);
  EXPECT_EQ(Leftovers(folder_.path()), std::vector<std::string>{});
  SetFileAttributesW(WideFromUtf8(package).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A shortcut saved by the shell to a program with a Chinese name, taken in
// as a drop would.
TEST_F(UnicodeNamesTest, ShortcutToAChineseNamedProgram) {
  const std::string target = place(kNames[5]);
  const std::string lnk = inputs_.path() + "\\图标.lnk";
  ASSERT_TRUE(CreateShellShortcut(target, lnk));
  dispatch(lnk);
  ExpectPe32OrderIcon(store_.picture(), lnk);
}

}  // namespace
