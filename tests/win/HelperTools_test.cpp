#include "app/HelperTools_win.h"

#include <gtest/gtest.h>

#include "extract/HelperTools.h"
#include "support/FileIo_win.h"
#include "tests/win/TestSupport.h"

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

// A "folder" that is a file: nothing can be written, and the file stays.
TEST_F(HelperToolsTest, UnwritableFolderIsIgnored) {
  TempFolder folder;
  const std::string file = folder.file("not a folder");
  ASSERT_TRUE(WriteTestFile(file, Bytes{1, 2, 3}));
  DeployHelperTools(program_, file);
  EXPECT_EQ(ReadWholeFile(file), (Bytes{1, 2, 3}));
}

}  // namespace
