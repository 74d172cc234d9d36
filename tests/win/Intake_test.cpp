// Executables, shortcuts, dispatch and drops, and the command-line front end.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "app/DropTarget_win.h"
#include "app/ImportWorker_win.h"
#include "app/Intake_win.h"
#include "app/MainWindow_win.h"
#include "image/IcoDecode.h"
#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "image/Picture_win.h"
#include "output/PictureStore.h"
#include "support/FileIo_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/PipelineHarness.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/IconReason.h"
#include "tools/WorkFolder_win.h"
#include "windows/ExeIcon_win.h"
#include "windows/IconGroup.h"
#include "windows/Shortcut.h"

namespace {

const char* kExeCases[] = {"order-256-first", "eight-then-32", "big8-then-small32", "only-256-png", "identical-twice",
                           "several-groups", "large-ids", "missing-image", "no-icons", "stated-size-wrong",
                           "pe32-order"};

// What make_exes.py recorded: the exact icon file, or nothing ("empty").
Bytes Expected(const std::string& name) {
  return ReadWholeFile(TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\" + name + ".expect.ico");
}

std::string ExeFixture(const std::string& name) { return TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\" + name + ".exe"; }

TEST(ExtractExeIcon, FollowsTheChoiceRuleOnRealExecutables) {
  for (const char* name : kExeCases) {
    EXPECT_EQ(ExtractExeIcon(ExeFixture(name)), Expected(name)) << name;
  }
  EXPECT_TRUE(ExtractExeIcon("").empty());
  EXPECT_TRUE(ExtractExeIcon("C:\\no\\such.exe").empty());
}

class IntakeTest : public RunFolderTest {
 public:
  using RunFolderTest::dispatch;  // for the nested drop below
};

TEST_F(IntakeTest, ShortcutShowsItsTargetsIcon) {
  const std::string target = folder_.file("tool.exe");
  ASSERT_TRUE(CopyTestFile(ExeFixture("pe32-order"), target));
  const std::string lnk = folder_.file("Tool.lnk");
  ASSERT_TRUE(CreateShellShortcut(target, lnk));
  EXPECT_EQ(ReadShortcutTarget(ReadWholeFile(lnk)), target);
  dispatch(lnk);
  ExpectPe32OrderIcon(store_.picture(), lnk);

  // A shortcut to a package gives the package's icon, also through a
  // shortcut to that shortcut.
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  const std::string apk = folder_.file("game.apk");
  ASSERT_TRUE(CopyTestFile(fixtures + "\\apk\\five-densities.apk", apk));
  ASSERT_TRUE(CreateShellShortcut(apk, folder_.file("Game.lnk")));
  ASSERT_TRUE(CreateShellShortcut(folder_.file("Game.lnk"), folder_.file("Game 2.lnk")));
  for (const char* name : {"Game.lnk", "Game 2.lnk"}) {
    dispatch(folder_.file(name));
    EXPECT_EQ(PictureAsPng(store_.picture()), ReadWholeFile(fixtures + "\\apk\\five-densities.icon")) << name;
  }

  // A shortcut to a document goes to the executable route all the same.
  const std::string doc = folder_.file("notes.txt");
  ASSERT_TRUE(WriteTestFile(doc, Bytes{'h', 'i'}));
  ASSERT_TRUE(CreateShellShortcut(doc, folder_.file("Notes.lnk")));
  dispatch(folder_.file("Notes.lnk"));
  EXPECT_TRUE(store_.picture().empty());
}

TEST_F(IntakeTest, DispatchRoutesByTheFileNamesOwnExtension) {
  dispatch(ExeFixture("eight-then-32"));
  EXPECT_EQ(store_.picture(), Expected("eight-then-32"));

  setSentinel();
  dispatch(folder_.file("readme.txt"));
  EXPECT_TRUE(pictureIsSentinel()) << "unknown types are ignored";

  // Upper-case extensions, and a kind's suffix in a folder name.
  const std::string folder = folder_.file("my.apk.files");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string& path : {folder_.file("SETUP.EXE"), folder + "\\notepad.exe"}) {
    ASSERT_TRUE(CopyTestFile(ExeFixture("eight-then-32"), path));
    setSentinel();
    dispatch(path);
    EXPECT_EQ(store_.picture(), Expected("eight-then-32")) << path;
  }

  // A .webp file goes through the converter and the work file is shown.
  const std::string webp = folder_.file("icon.webp");
  ASSERT_TRUE(CopyTestFile(TestEnvironment("TESSAROO_FIXTURES") + "\\apk\\webp-only.apk", folder_.file("w.apk")));
  dispatch(folder_.file("w.apk"));
  ASSERT_TRUE(WriteTestFile(webp, ReadWholeFile(folder_.file("w.apk"))));  // not a WebP: conversion fails
  dispatch(webp);
  EXPECT_TRUE(store_.picture().empty()) << "a failed conversion shows no earlier picture";
}

// A run that finds nothing clears the picture, whatever the route, so the
// box never shows one file's icon under another file's name, and says why;
// a file of no kind keeps the picture and is announced. The command line
// prints the reason.
TEST_F(IntakeTest, EveryRunEndsInAnIconOrAReason) {
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  ASSERT_TRUE(WriteTestFile(folder_.file("not a zip.apk"), Bytes(5000, 'x')));
  ASSERT_TRUE(WriteTestFile(folder_.file("readme.txt"), Bytes{'h', 'i'}));
  const struct { std::string path; IconReason reason; } cases[] = {
      {fixtures + "\\apk\\no-icon.apk", IconReason::NoIcon},
      {fixtures + "\\ipa\\no-appicon.ipa", IconReason::NoIcon},
      {ExeFixture("no-icons"), IconReason::NoIcon},
      {folder_.file("GAME.APK"), IconReason::Unreadable},  // no such file
      {folder_.file("gone.lnk"), IconReason::Unreadable},
      {folder_.file("not a zip.apk"), IconReason::Damaged},
      {fixtures + "\\apk\\lying-size.apk", IconReason::Damaged},
      {fixtures + "\\apk\\huge-canvas.webp", IconReason::Damaged},
      {fixtures + "\\apk\\crafted-quote.apk", IconReason::Refused},
  };
  for (const auto& c : cases) {
    setSentinel();
    EXPECT_EQ(dispatch(c.path), c.reason) << c.path;
    EXPECT_TRUE(store_.picture().empty()) << c.path;
    EXPECT_EQ(store_.reason(), c.reason) << c.path;
  }
  setSentinel();
  const std::uint64_t notices = store_.notices();
  EXPECT_EQ(dispatch(folder_.file("readme.txt")), IconReason::Unsupported);
  EXPECT_TRUE(pictureIsSentinel()) << "the picture stays";
  EXPECT_EQ(store_.notices(), notices + 1);
  EXPECT_EQ(store_.notice(), IconReason::Unsupported);

  const std::string cli = folder_.file("tessaroo-cli.exe");
  ASSERT_TRUE(CopyTestFile(TestProgramFolder() + "\\tessaroo-cli.exe", cli));
  const std::string said = RunConsoleCommand(cli, "\"" + fixtures + "\\apk\\no-icon.apk\" \"" + folder_.file("x.png") + "\"");
  EXPECT_NE(said.find("no-icon: No icon in this file"), std::string::npos) << said;
}

// A drop while a package is read replaces that import: the packaging tool
// it waits on is ended, only the new file's outcome arrives, and both
// imports remove their work folders. Escape (cancel) ends an import in the
// same way, with no outcome at all.
TEST_F(IntakeTest, ANewImportReplacesTheOneUnderWayAndCancelEndsIt) {
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  std::mutex lock;
  std::vector<ImportOutcome> outcomes;
  int finished = 0;
  auto deliver = [&](ImportOutcome outcome) {
    const std::lock_guard guard(lock);
    outcomes.push_back(std::move(outcome));
  };
  auto ended = [&] {
    const std::lock_guard guard(lock);
    ++finished;
  };
  auto packagingToolRuns = [] {
    for (int i = 0; i < 400; ++i, Sleep(5)) {
      if (FindProcessIdByName("pt.exe", false) != 0) return true;
    }
    return false;
  };
  {
    ImportWorker worker;
    worker.start(context_, {fixtures + "\\apk\\five-densities.apk"}, deliver, ended);
    ASSERT_TRUE(packagingToolRuns());
    worker.start(context_, {fixtures + "\\apk\\plain-drawable.apk"}, deliver, ended);
    ASSERT_TRUE(worker.wait(30000));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].icon, ReadWholeFile(fixtures + "\\apk\\plain-drawable.icon"));
    EXPECT_EQ(finished, 2);

    worker.start(context_, {fixtures + "\\apk\\five-densities.apk"}, deliver, ended);
    ASSERT_TRUE(packagingToolRuns());
    EXPECT_TRUE(worker.cancel());
    EXPECT_TRUE(worker.wait(1000)) << "a cancelled import ends at once";
    EXPECT_FALSE(worker.cancel()) << "nothing under way";
    EXPECT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(finished, 3);
  }
  for (const std::string& name : runDirectoryNames()) {
    EXPECT_NE(name.rfind("~work-", 0), 0u) << "every import removed its work folder: " << name;
  }
}

// A WM_DROPFILES holding three files, built in the process that owns the
// window: every file is passed on, in the shell's order.
TEST(DropTarget, PassesEveryDroppedFileInOrder) {
  HWND window = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(window);
  std::vector<std::string> received;
  DropTarget target;
  target.enable(window, [&](const std::vector<std::string>& paths) { received = paths; });

  // The drop handle is the receiver's to free (DragFinish): one per drop.
  auto makeDrop = [] {
    const char names[] = "C:\\a\\one.apk\0D:\\two.ipa\0E:\\three four.exe\0";
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + sizeof names + 1);
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), names, sizeof names);
    GlobalUnlock(drop);
    return drop;
  };
  HGLOBAL drop = makeDrop();
  EXPECT_EQ(SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0), 0);
  EXPECT_EQ(received, (std::vector<std::string>{"C:\\a\\one.apk", "D:\\two.ipa", "E:\\three four.exe"}));

  target.disable();
  received.clear();
  DestroyWindow(window);
}

// The window readies the run directory after its first paint; a pipeline
// that comes sooner (a file dropped at once) has it readied first: here a
// work folder of an ended process is gone before the context is handed out.
TEST(AppContext, PipelineContextComesWithTheRunDirectoryReady) {
  TempFolder run;
  const std::string stale = run.file("~work-4000000-1");  // no process has that id
  ASSERT_TRUE(CreateWorkFolder(stale));
  AppContext app;
  app.runDirectory = run.path();
  EXPECT_EQ(app.pipeline().runDirectory, run.path());
  EXPECT_EQ(GetFileAttributesA(stale.c_str()), INVALID_FILE_ATTRIBUTES);
}

// What a save of the executable fixture's picture writes: a PNG with the
// pixels of the image make_exes.py recorded as NAME.expect.png.
void ExpectSavedAs(const std::string& written, const std::string& fixture) {
  const Bytes png = ReadWholeFile(written);
  EXPECT_TRUE(HasPngSignature(png)) << fixture;
  const RgbaImage expected = DecodePng(ReadWholeFile(TestEnvironment("TESSAROO_FIXTURES") + "\\exe\\" + fixture + ".expect.png"));
  ASSERT_FALSE(expected.empty()) << fixture;
  EXPECT_EQ(DecodePng(png).pixels, expected.pixels) << fixture;
}

// The console front end, end to end: exit codes and output.
class CliTest : public RunFolderTest {
 protected:
  int run(const std::string& arguments) { return runCli(arguments); }
};

TEST_F(CliTest, EachKindOfInputEndToEnd) {
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  const std::string out = folder_.file("out.png");
  EXPECT_EQ(run("\"" + fixtures + "\\apk\\five-densities.apk\" \"" + out + "\""), 0);
  EXPECT_EQ(ReadWholeFile(out), ReadWholeFile(fixtures + "\\apk\\five-densities.icon"));
  EXPECT_EQ(run("\"" + fixtures + "\\ipa\\single.ipa\" \"" + out + "\""), 0);
  EXPECT_EQ(ReadWholeFile(out), ReadWholeFile(fixtures + "\\ipa\\single.icon"));
  EXPECT_EQ(run("\"" + ExeFixture("large-ids") + "\" \"" + out + "\""), 0);
  ExpectSavedAs(out, "large-ids");

  const std::string none = folder_.file("none.png");
  EXPECT_EQ(run("\"" + fixtures + "\\apk\\no-icon.apk\" \"" + none + "\""), 1);
  EXPECT_EQ(run("\"" + ExeFixture("missing-image") + "\" \"" + none + "\""), 1) << "a group without its image";
  EXPECT_EQ(GetFileAttributesA(none.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(run(""), 2);
  EXPECT_EQ(run("only-one-argument"), 2);
  EXPECT_EQ(run("\"" + ExeFixture("large-ids") + "\" \"" + folder_.file("no\\such\\dir\\x.ico") + "\""), 3);
}

// What the command line says: help and version, every usage error with its
// reason, the output it could not write, and wildcards expanded.
TEST_F(CliTest, SaysWhatWasWrong) {
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  const std::string out = folder_.file("out.png");
  const struct {
    std::string arguments;
    int code;
    const char* said;
  } cases[] = {
      {"--help", 0, "usage: tessaroo-cli"},
      {"-h", 0, "usage: tessaroo-cli"},
      {"/?", 0, "usage: tessaroo-cli"},
      {"--version", 0, "tessaroo-cli 1."},
      {"", 2, "INPUT and OUTPUT are missing"},
      {"only-one-argument", 2, "OUTPUT is missing"},
      {"a b c", 2, "give --out DIR for several inputs"},
      {"--size", 2, "--size takes a value"},
      {"\"" + fixtures + "\\ipa\\*.ipa\" \"" + out + "\"", 2, "files: give --out DIR"},
      {"\"" + fixtures + "\\ipa\\singl?.ipa\" \"" + out + "\"", 0, ""},
      {"\"" + ExeFixture("large-ids") + "\" \"" + folder_.file("no\\such\\x.png") + "\"", 3, "cannot write"},
  };
  for (const auto& c : cases) {
    std::string said;
    EXPECT_EQ(runCli(c.arguments, said), c.code) << c.arguments;
    EXPECT_NE(said.find(c.said), std::string::npos) << c.arguments << ": " << said;
  }
  EXPECT_EQ(ReadWholeFile(out), ReadWholeFile(fixtures + "\\ipa\\single.icon")) << "singl?.ipa is single.ipa";
}

// What the name of OUTPUT asks for: a PNG (.png in any case, or no
// extension), an icon file (.ico), or nothing but a usage error.
TEST_F(CliTest, OutputTypeByName) {
  const std::string fixtures = TestEnvironment("TESSAROO_FIXTURES");
  const std::string exe = "\"" + ExeFixture("large-ids") + "\" ";
  for (const char* name : {"plain", "upper.PNG"}) {
    EXPECT_EQ(run(exe + "\"" + folder_.file(name) + "\""), 0) << name;
    ExpectSavedAs(folder_.file(name), "large-ids");
  }
  EXPECT_EQ(run(exe + "\"" + folder_.file("out.bmp") + "\""), 2);
  EXPECT_EQ(run("--colour red " + exe + "\"" + folder_.file("out.png") + "\""), 2);
  EXPECT_EQ(run("--size 8 " + exe + "\"" + folder_.file("out.png") + "\""), 2);
  EXPECT_EQ(GetFileAttributesA(folder_.file("out.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  // A stored icon is never scaled: --size picks the group's largest image
  // not above it (large-ids' group holds 32 and 48 pixels), else its smallest.
  for (const auto& [size, side] : {std::pair{512, 48u}, {40, 32u}, {16, 32u}}) {
    EXPECT_EQ(run("--size " + std::to_string(size) + " " + exe + "\"" + folder_.file("sized.png") + "\""), 0) << size;
    EXPECT_EQ(ProbeImageSize(ReadWholeFile(folder_.file("sized.png"))).width, side) << size;
  }

  // A program's icon file is its whole group, the image shown first.
  const std::string ico = folder_.file("group.ICO");
  EXPECT_EQ(run(exe + "\"" + ico + "\""), 0);
  const Bytes group = ReadWholeFile(ico);
  // large-ids.exe's group, as make_exes.py writes it: a 32- and a 48-pixel image.
  const IconFileFacts facts = ReadIconFileFacts(group);
  EXPECT_EQ(facts.images, 2);
  EXPECT_EQ(facts.width, 48) << "the image shown comes first";
  const RgbaImage groupShown = DecodeIco(group);
  EXPECT_EQ(groupShown.width, 48);
  EXPECT_EQ(WritePng(groupShown), WritePng(DecodePng(ReadWholeFile(fixtures + "\\exe\\large-ids.expect.png"))));

  // Any other picture: one PNG image, at most 256 a side, centred on
  // transparency when not square.
  RgbaImage wide = SolidImage(600, 200, 10, 200, 30, 255);
  ASSERT_TRUE(WriteTestFile(folder_.file("wide.png"), WritePng(wide)));
  EXPECT_EQ(run("\"" + folder_.file("wide.png") + "\" \"" + folder_.file("wide.ico") + "\""), 0);
  const Bytes wideIco = ReadWholeFile(folder_.file("wide.ico"));
  const std::vector<IcoEntry> images = ListIcoEntries(wideIco);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_TRUE(images[0].png);
  const RgbaImage shown = DecodeIcoImage(images[0]);
  ASSERT_EQ(shown.width, 256);
  ASSERT_EQ(shown.height, 256);
  EXPECT_EQ(PixelArgb(shown, 128, 10) >> 24, 0u) << "transparent above";
  EXPECT_EQ(PixelArgb(shown, 128, 128), 0xFF0AC81Eu) << "the picture in the middle";
  // A square PNG of 256 or less as it is; a package's densities, each one.
  for (const auto& [name, images] : {std::pair{"plain-drawable", 1u}, {"five-densities", 5u}}) {
    EXPECT_EQ(run("\"" + fixtures + "\\apk\\" + name + ".apk\" \"" + folder_.file("apk.ico") + "\""), 0);
    const Bytes apkIco = ReadWholeFile(folder_.file("apk.ico"));
    const std::vector<IcoEntry> apk = ListIcoEntries(apkIco);
    ASSERT_EQ(apk.size(), images) << name;
    EXPECT_EQ(Bytes(apk[0].data.begin(), apk[0].data.end()), ReadWholeFile(fixtures + "\\apk\\" + name + ".icon")) << name;
  }
}

// Icon files, loose pictures and libraries, end to end.
TEST_F(CliTest, IconFilesPicturesAndLibraries) {
  const std::string out = folder_.file("out.png");
  auto iconOf = [&](const std::string& name, const Bytes& bytes) {
    EXPECT_TRUE(WriteTestFile(folder_.file(name), bytes));
    DeleteFileA(out.c_str());
    const int code = run("\"" + folder_.file(name) + "\" \"" + out + "\"");
    return code == 0 ? ReadWholeFile(out) : Bytes();
  };
  const Bytes png48 = EncodeIcoPng(SolidImage(48, 48, 1, 2, 3, 255));
  EXPECT_EQ(iconOf("app.ico", CombineIcons({EncodeIcoBitmap(SolidImage(16, 16, 9, 9, 9, 255), 32), png48})),
            Bytes(png48.begin() + 22, png48.end()));
  EXPECT_EQ(DecodePng(iconOf("bitmaps.ICO", CombineIcons({EncodeIcoBitmap(TestPattern(24, 24), 32)}))).pixels,
            TestPattern(24, 24).pixels);
  EXPECT_TRUE(iconOf("damaged.ico", Bytes{0, 0, 1, 0, 9, 0, 1, 2}).empty());
  RgbaImage clear = SolidImage(2, 1, 0, 0, 255, 0);
  clear.pixels[3] = 255;  // one opaque blue pixel, one wholly transparent
  const RgbaImage repaired = DecodePng(iconOf("crushed.png", EncodeCgbi(clear, 6, 0)));
  EXPECT_EQ(repaired.pixels, (std::vector<std::uint8_t>{0, 0, 255, 255, 0, 0, 0, 0})) << "true colours, alpha kept";
  const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                  ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
  const Bytes tiny = iconOf("tiny.gif", gif);
  EXPECT_TRUE(HasPngSignature(tiny)) << "a GIF is written as a PNG";
  const RgbaImage tinyImage = DecodePng(tiny);
  EXPECT_EQ(tinyImage.width, 1);
  EXPECT_EQ(tinyImage.height, 1);
  EXPECT_TRUE(iconOf("not really.jpg", Bytes{'M', 'Z', 0, 0}).empty());

  // A library without icon groups is read from its SystemResources file.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string resources = std::string(windows) + "\\SystemResources";
  CreateDirectoryA(resources.c_str(), nullptr);
  const std::string mun = resources + "\\tessaroo-test.dll.mun";
  ASSERT_TRUE(CopyTestFile(ExeFixture("large-ids"), mun));
  ASSERT_TRUE(CopyTestFile(ExeFixture("no-icons"), folder_.file("tessaroo-test.dll")));
  EXPECT_EQ(run("\"" + folder_.file("tessaroo-test.dll") + "\" \"" + out + "\""), 0);
  ExpectSavedAs(out, "large-ids");
  DeleteFileA(mun.c_str());
  EXPECT_EQ(run("\"" + folder_.file("tessaroo-test.dll") + "\" \"" + folder_.file("none.png") + "\""), 1);
}

}  // namespace
