#include "tools/HelperTools_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "image/ImageFormat.h"
#include "support/ByteReader.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tests/win/TestSupport.h"
#include "tools/HelperTools.h"
#include "windows/PeResources.h"

namespace {

// The tools as the real program carries them: Tessaroo.exe's resources.
class HelperToolsTest : public testing::Test {
 protected:
  void SetUp() override {
    program_ = LoadLibraryExA((TestProgramFolder() + "\\Tessaroo.exe").c_str(), nullptr,
                              LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(program_);
  }
  void TearDown() override { if (program_) FreeLibrary(program_); }
  HMODULE program_ = nullptr;
};

TEST_F(HelperToolsTest, ProgramCarriesEachToolByteForByte) {
  const std::string source = TestEnvironment("TESSAROO_TOOLS_DIR");
  ASSERT_FALSE(source.empty());
  for (const HelperTool& tool : kHelperTools) {
    const Bytes original = ReadWholeFile(source + "\\" + tool.fileName);
    ASSERT_FALSE(original.empty()) << tool.fileName;
    const ByteSpan carried = CarriedToolBytes(program_, tool.resourceId);
    EXPECT_TRUE(std::equal(carried.begin(), carried.end(), original.begin(), original.end()))
        << tool.fileName;
  }
}

TEST_F(HelperToolsTest, DeploysHiddenCopiesAndRepairsOnlyWhatDiffers) {
  TempFolder folder;
  DeployHelperTools(program_, folder.path());
  for (const HelperTool& tool : kHelperTools) {
    const std::string path = folder.file(tool.fileName);
    EXPECT_TRUE(FileHoldsBytes(path, CarriedToolBytes(program_, tool.resourceId))) << tool.fileName;
    EXPECT_EQ(ComparableAttributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)) << tool.fileName;
  }

  // A tool cut short (an interrupted first start) and marked read-only, and
  // an intact one marked read-only.
  const std::string cut = folder.file("za.exe");
  SetFileAttributesA(cut.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(WriteTestFile(cut, Bytes{'M', 'Z'}));
  SetFileAttributesA(cut.c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(folder.file("uz.exe").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  const FILETIME ptWritten = LastWriteTime(folder.file("pt.exe"));
  Sleep(50);

  DeployHelperTools(program_, folder.path());
  EXPECT_TRUE(FileHoldsBytes(cut, CarriedToolBytes(program_, IDR_TOOL_ZA)));
  const FILETIME ptNow = LastWriteTime(folder.file("pt.exe"));
  EXPECT_EQ(CompareFileTime(&ptWritten, &ptNow), 0) << "an identical tool is left untouched";
  for (const HelperTool& tool : kHelperTools) {
    EXPECT_EQ(ComparableAttributes(folder.file(tool.fileName)),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN)) << tool.fileName;
  }
}

// Both programs carry the drawn icon (eight sizes, 256 as PNG) as their
// first icon group, and a version block.
TEST_F(HelperToolsTest, ProgramsCarryTheirIconAndVersion) {
  for (const char* name : {"Tessaroo.exe", "tessaroo-cli.exe"}) {
    const std::string path = TestProgramFolder() + "\\" + name;
    const Bytes file = ReadWholeFile(path);
    PeResourceReader reader(file, 0);
    const auto groups = reader.list(kIconGroupResourceType);
    ASSERT_FALSE(groups.empty()) << name;
    EXPECT_EQ(groups[0].id, 1u) << name;
    EXPECT_EQ(ByteReader(groups[0].data, 4).u16le(), 8) << name << ": eight sizes";
    int pngs = 0;
    for (const PeResource& icon : reader.list(kIconResourceType)) pngs += SniffImageFormat(icon.data) == ImageFormat::Png;
    EXPECT_EQ(pngs, 1) << name << ": the 256-pixel image as PNG";

    const std::wstring wide = WideFromAnsi(path);
    std::vector<std::uint8_t> block(GetFileVersionInfoSizeW(wide.c_str(), nullptr));
    ASSERT_FALSE(block.empty()) << name;
    ASSERT_TRUE(GetFileVersionInfoW(wide.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u) << name << ": 1.1";
    wchar_t* product = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductName", reinterpret_cast<void**>(&product), &size));
    EXPECT_EQ(std::wstring(product), L"Tessaroo");
  }
}

// A "folder" that is a file: nothing can be written, and the file stays.
TEST_F(HelperToolsTest, UnwritableFolderIsIgnored) {
  TempFolder folder;
  const std::string file = folder.file("not a folder");
  ASSERT_TRUE(WriteTestFile(file, Bytes{1, 2, 3}));
  DeployHelperTools(program_, file);
  EXPECT_EQ(ReadWholeFile(file), (Bytes{1, 2, 3}));
}

}  // namespace
