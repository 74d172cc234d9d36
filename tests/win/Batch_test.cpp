// tessaroo-cli's batch mode under Wine: a folder of mixed inputs, and the
// names, paths and endings that must not mislead it.
#include <windows.h>

#include <gtest/gtest.h>

#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/support/TestImages.h"
#include "tests/win/PipelineHarness.h"

namespace {

class BatchCliTest : public RunFolderTest {
 protected:
  std::string text(const std::string& path) {
    const Bytes bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
  }
  // The green of a PNG's first pixel; -1 when it is no PNG.
  static int green(const std::string& png) {
    const RgbaImage image = DecodePng(ReadWholeFile(png));
    return image.pixels.empty() ? -1 : image.pixels[1];
  }
  // A one-colour 16-pixel PNG of that green.
  static bool writePicture(const std::string& path, std::uint8_t g) {
    const std::wstring wide = ExtendedLengthPath(path);
    const Bytes png = WritePng(SolidImage(16, 16, 10, g, 10, 255));
    const UniqueHandle file(CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), png.data(), DWORD(png.size()), &written, nullptr) && written == png.size();
  }
};

// A folder of mixed inputs, a damaged one in the middle, two of one name in
// different folders, the output folder inside the input folder: every good
// input gives its PNG, the names are decided in input order, the report
// lists every input in that order, and the bad one makes the exit code 1.
TEST_F(BatchCliTest, AFolderOfMixedInputs) {
  TempFolder inputs;
  for (const char* folder : {"sub1", "sub2", "out"}) ASSERT_TRUE(CreateDirectoryA(inputs.file(folder).c_str(), nullptr));
  ASSERT_TRUE(CopyTestFile(Fixture("exe\\pe32-order.exe"), inputs.file("a.exe")));
  ASSERT_TRUE(WriteTestFile(inputs.file("bad.apk"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'z', 'i', 'p'}));
  ASSERT_TRUE(WriteTestFile(inputs.file("notes.txt"), Bytes{'h', 'i'}));  // no known kind: not taken from a folder
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\plain-drawable.apk"), inputs.file("sub1\\app.apk")));
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\five-densities.apk"), inputs.file("sub2\\app.apk")));
  ASSERT_TRUE(CopyTestFile(Fixture("apk\\five-densities.apk"), inputs.file("out\\old.apk")));  // the output folder is skipped
  const std::string out = inputs.file("out"), report = inputs.file("report.json");

  EXPECT_EQ(runCli("--jobs 2 --report \"" + report + "\" --out \"" + out + "\" \"" + inputs.path() + "\""), 1);
  EXPECT_EQ(ReadWholeFile(out + "\\app.apk.png"), ReadWholeFile(Fixture("apk\\plain-drawable.icon")));
  EXPECT_EQ(ReadWholeFile(out + "\\app.apk (2).png"), ReadWholeFile(Fixture("apk\\five-densities.icon")));
  const RgbaImage exe = DecodePng(ReadWholeFile(out + "\\a.exe.png"));
  EXPECT_EQ(exe.width, 48);  // pe32-order.exe's 48-pixel green image
  EXPECT_EQ(exe.pixels.empty() ? 0 : exe.pixels[1], 180);
  EXPECT_FALSE(PathExists(out + "\\bad.apk.png"));
  EXPECT_FALSE(PathExists(out + "\\old.apk.png"));
  const std::string json = text(report);
  const std::size_t a = json.find("a.exe\""), bad = json.find("bad.apk\""), one = json.find("sub1"), two = json.find("sub2");
  ASSERT_NE(two, std::string::npos) << json;
  EXPECT_TRUE(a < bad && bad < one && one < two) << json;
  EXPECT_NE(json.find("\"reason\": \"damaged\"", bad), std::string::npos) << json;
  EXPECT_NE(json.find("\"width\": 192, \"height\": 192", one), std::string::npos) << json;
  EXPECT_EQ(json.find("notes.txt"), std::string::npos);

  // Only good inputs: 0; a file where the output folder should be: 3; usage: 2.
  EXPECT_EQ(runCli("--out \"" + out + "\" \"" + inputs.file("a.exe") + "\""), 0);
  EXPECT_EQ(runCli("--out \"" + inputs.file("notes.txt") + "\" \"" + inputs.file("a.exe") + "\""), 3);
  EXPECT_EQ(runCli("--jobs 0 --out \"" + out + "\" \"" + inputs.file("a.exe") + "\""), 2);
  EXPECT_EQ(runCli("--report \"" + report + "\" \"" + inputs.file("a.exe") + "\" x.png"), 2);
  EXPECT_EQ(leftovers({}), std::vector<std::string>{});
}

// A folder with no input of a known kind ends at once, saying so.
TEST_F(BatchCliTest, NothingToTakeEndsAtOnce) {
  TempFolder inputs;
  ASSERT_TRUE(WriteTestFile(inputs.file("notes.txt"), Bytes{'h', 'i'}));
  EXPECT_EQ(runCli("--out \"" + inputs.file("out") + "\" \"" + inputs.path() + "\""), 1);
}

// Names Windows folds together get their counter under its own folding, not
// ASCII only; a name ending in a dot is refused, not read as its twin; the
// output folder named by its short name is still left out; and a report that
// would replace an input is refused before any work.
TEST_F(BatchCliTest, NamesWindowsFoldsTogether) {
  TempFolder inputs;
  for (const char* folder : {"one", "two", "output folder"}) {
    ASSERT_TRUE(CreateDirectoryA(inputs.file(folder).c_str(), nullptr));
  }
  // Names carry the process code page; one without these letters (936) skips them.
  const bool umlauts = WideFromAnsi(CodePageFromWide(L"\u00C4\u00E4", CP_ACP)) == L"\u00C4\u00E4";
  const std::string upper = CodePageFromWide(L"one\\\u00C4.png", CP_ACP), lower = CodePageFromWide(L"two\\\u00E4.png", CP_ACP);
  if (umlauts) ASSERT_TRUE(writePicture(inputs.file(upper), 100));
  if (umlauts) ASSERT_TRUE(writePicture(inputs.file(lower), 200));
  ASSERT_TRUE(writePicture(inputs.file("game.png"), 50));
  writePicture("\\\\?\\" + inputs.file("game.png."), 60);  // where the file system takes such a name
  ASSERT_TRUE(writePicture(inputs.file("output folder\\old.png"), 70));
  const std::string out = inputs.file("output folder");
  char shortName[MAX_PATH] = {};
  const std::string outByShortName = GetShortPathNameA(out.c_str(), shortName, MAX_PATH) ? shortName : out;

  EXPECT_EQ(runCli("--out \"" + outByShortName + "\" \"" + inputs.file("one") + "\" \"" + inputs.file("two") + "\" \"" +
                   inputs.file("output folder") + "\""),
            umlauts ? 0 : 1);
  if (umlauts) {
    EXPECT_EQ(green(out + "\\" + CodePageFromWide(L"\u00C4.png.png", CP_ACP)), 100);
    EXPECT_EQ(green(out + "\\" + CodePageFromWide(L"\u00E4.png (2).png", CP_ACP)), 200);
  }
  EXPECT_FALSE(PathExists(out + "\\old.png.png")) << "the output folder, however named, is no input";

  EXPECT_EQ(runCli("\"" + inputs.file("game.png.") + "\" \"" + inputs.file("single.png") + "\""), 1);
  EXPECT_FALSE(PathExists(inputs.file("single.png"))) << "game.png's icon is not game.png.'s";
  EXPECT_EQ(runCli("--report \"" + inputs.file("report.json") + "\" --out \"" + out + "\" \"" + inputs.file("game.png.") + "\""), 1);
  EXPECT_FALSE(PathExists(out + "\\game.png.png"));
  EXPECT_NE(text(inputs.file("report.json")).find("\"reason\": \"refused\""), std::string::npos);

  const Bytes before = ReadWholeFile(inputs.file("game.png"));
  EXPECT_EQ(runCli("--report \"" + inputs.file("game.png") + "\" --out \"" + out + "\" \"" + inputs.file("game.png") + "\""), 2);
  EXPECT_EQ(runCli("--report \"" + out + "\\GAME.png.png\" --out \"" + out + "\" \"" + inputs.file("game.png") + "\""), 2);
  EXPECT_EQ(ReadWholeFile(inputs.file("game.png")), before);
}

// A batch ended from outside leaves none of its children's message files.
TEST_F(BatchCliTest, EndedFromOutsideLeavesNoMessageFiles) {
  TempFolder inputs;
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(writePicture(inputs.file("p" + std::to_string(i) + ".png"), 90));
  const std::string cli = folder_.file("tessaroo-cli.exe");
  ASSERT_TRUE(CopyTestFile(TestProgramFolder() + "\\tessaroo-cli.exe", cli));
  TestProcess batch = StartProgram("\"" + cli + "\" --jobs 1 --out \"" + inputs.file("out") + "\" \"" + inputs.path() + "\"",
                                   TestProgramFolder());
  ASSERT_TRUE(batch);
  // Until a child has started (its output is there), then end the batch.
  for (int waited = 0; waited < 600 && !PathExists(inputs.file("out\\p0.png.png")); ++waited) Sleep(50);
  ASSERT_TRUE(PathExists(inputs.file("out\\p0.png.png")));
  batch.end();
  const auto messageFiles = [this] {
    std::vector<std::string> found;
    for (const std::string& name : runDirectoryNames()) {
      if (name.rfind("~work-", 0) != 0) continue;
      for (FolderEntries entries(folder_.file(name + "\\job-*")); entries.valid(); entries.next()) found.push_back(entries.name());
    }
    return found;
  };
  // A file goes when the last process holding it has ended: the batch now,
  // its running child when the batch's job ends it (or it ends by itself).
  for (int waited = 0; waited < 300 && !messageFiles().empty(); ++waited) Sleep(50);
  EXPECT_EQ(messageFiles(), std::vector<std::string>{});
}

}  // namespace
