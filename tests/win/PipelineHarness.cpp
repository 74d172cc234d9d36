#include "tests/win/PipelineHarness.h"

#include <algorithm>
#include <cstdio>

#include "app/ImportWorker_win.h"
#include "image/IcoDecode.h"
#include "image/PngDecode.h"
#include "support/FileIo_win.h"
#include "tools/HelperTools_win.h"

namespace {
const Bytes kSentinel{'s', 'e', 'n', 't', 'i', 'n', 'e', 'l'};

std::uint32_t Le(const Bytes& b, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | (at + i < b.size() ? b[at + i] : 0);
  return value;
}
}  // namespace

IconFileFacts ReadIconFileFacts(const Bytes& icon) {
  IconFileFacts facts;
  if (icon.size() < 22) return facts;
  facts.images = static_cast<int>(Le(icon, 4, 2));
  facts.width = icon[6];
  facts.height = icon[7];
  facts.bits = static_cast<int>(Le(icon, 12, 2));
  // A bitmap image: BITMAPINFOHEADER (40 bytes), then, at 32 bits, the
  // pixels as B, G, R, A, bottom row first.
  const std::size_t image = Le(icon, 18, 4);
  if (Le(icon, image, 4) == 40 && Le(icon, image + 14, 2) == 32) {
    const std::size_t at = image + 40;
    facts.firstPixel = Le(icon, at, 4);
  }
  return facts;
}

void ExpectPe32OrderIcon(const Bytes& icon, const std::string& what) {
  const IconFileFacts shown = ReadIconFileFacts(icon);
  EXPECT_EQ(shown.images, 2) << what << ": the group, 48 and 16";
  EXPECT_EQ(shown.width, 48) << what;
  EXPECT_EQ(shown.height, 48) << what;
  EXPECT_EQ(shown.bits, 32) << what;
  EXPECT_EQ(shown.firstPixel, 0xFF1EB43Cu) << what;
}

void RunFolderTest::SetUp() {
  HMODULE program = LoadLibraryExA((TestProgramFolder() + "\\Tessaroo.exe").c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_TRUE(program);
  DeployHelperTools(program, folder_.path());
  FreeLibrary(program);
  startNames_ = runDirectoryNames();
  // Pipelines must not depend on where the caller stands.
  SetCurrentDirectoryA(TestProgramFolder().c_str());
}

void RunFolderTest::TearDown() { SetCurrentDirectoryA(TestProgramFolder().c_str()); }

std::string RunFolderTest::Fixture(const std::string& relative) {
  return TestEnvironment("TESSAROO_FIXTURES") + "\\" + relative;
}

std::string RunFolderTest::FixtureLine(const std::string& relative) {
  const Bytes bytes = ReadWholeFile(Fixture(relative));
  std::string line(bytes.begin(), bytes.end());
  return line.substr(0, line.find_first_of("\r\n"));
}

std::string RunFolderTest::GroupSides(const Bytes& picture) {
  std::string sides;
  for (const IcoEntry& image : ListIcoEntries(picture)) sides += (sides.empty() ? "" : " ") + std::to_string(image.width);
  return sides;
}

void RunFolderTest::setSentinel() { store_.setPicture(kSentinel); }
bool RunFolderTest::pictureIsSentinel() const { return store_.picture() == kSentinel; }

IconReason RunFolderTest::dispatch(const std::string& path) { return DispatchFile(context_, store_, path); }

namespace {

// A copy of tessaroo-cli.exe in the folder, so that folder is its run directory.
std::string CliCopyIn(const std::string& folder) {
  const std::string cli = folder + "\\tessaroo-cli.exe";
  if (GetFileAttributesA(cli.c_str()) == INVALID_FILE_ATTRIBUTES) CopyTestFile(TestProgramFolder() + "\\tessaroo-cli.exe", cli);
  return cli;
}

}  // namespace

int RunFolderTest::runCli(const std::string& arguments, const std::string& runDirectory) {
  const std::string cli = CliCopyIn(runDirectory.empty() ? folder_.path() : runDirectory);
  TestProcess process = StartProgram("\"" + cli + "\" " + arguments, TestProgramFolder());
  if (!process) return -1;
  WaitForSingleObject(process, 120000);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<int>(code);
}

int RunFolderTest::runCli(const std::string& arguments, std::string& said) {
  const std::string cli = CliCopyIn(folder_.path());
  const TempFolder outside;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const std::string saidPath = outside.file("said.txt");
  DWORD code = DWORD(-1);
  {
    const UniqueHandle file(CreateFileA(saidPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
    TestProcess process = StartProgram("\"" + cli + "\" " + arguments, TestProgramFolder(), file.get());
    if (!process) return -1;
    WaitForSingleObject(process, 120000);
    GetExitCodeProcess(process, &code);
  }
  const Bytes bytes = ReadWholeFile(saidPath);
  said.assign(bytes.begin(), bytes.end());
  return static_cast<int>(code);
}

std::vector<std::string> RunFolderTest::runDirectoryNames() const {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(folder_.file("*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> RunFolderTest::leftovers(const std::vector<std::string>& allowed) const {
  std::vector<std::string> extra;
  for (const std::string& name : runDirectoryNames()) {
    if (name == "tessaroo-cli.exe" || std::find(allowed.begin(), allowed.end(), name) != allowed.end()) continue;
    if (std::find(startNames_.begin(), startNames_.end(), name) == startNames_.end()) extra.push_back(name);
  }
  return extra;
}

void RunFolderTest::expectCliIcon(const CliIcon& expected) {
  SCOPED_TRACE(expected.fixture);
  const TempFolder outside;
  const std::string out = outside.file("out.png");
  const ULONGLONG start = GetTickCount64();
  const int code = runCli(std::string(expected.options) + "\"" + Fixture(expected.fixture) + "\" \"" + out + "\"");
  // The figure per kind for the record; Wine's start-up is most of it.
  std::printf("tessaroo-cli %s: %llu ms\n", expected.fixture, GetTickCount64() - start);
  if (expected.side == 0) {
    EXPECT_EQ(code, 1);
    EXPECT_EQ(GetFileAttributesA(out.c_str()), INVALID_FILE_ATTRIBUTES);
  } else {
    EXPECT_EQ(code, 0);
    const RgbaImage icon = DecodePng(ReadWholeFile(out));
    EXPECT_EQ(icon.width, expected.side);
    EXPECT_EQ(icon.height, expected.side);
    ASSERT_GE(icon.pixels.size(), 4u);
    EXPECT_EQ(icon.pixels[0], expected.red);
    EXPECT_EQ(icon.pixels[1], expected.green);
    EXPECT_EQ(icon.pixels[2], expected.blue);
  }
  EXPECT_EQ(leftovers({}), std::vector<std::string>{}) << "nothing extracted outlives the run";
}
