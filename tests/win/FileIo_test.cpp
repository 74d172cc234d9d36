#include "support/FileIo_win.h"

#include <gtest/gtest.h>

#include "support/ScopedWin_win.h"
#include "tests/win/TestSupport.h"

namespace {

int FilesIn(const std::string& folder) {
  int n = 0;
  for (FolderEntries entries(folder + "\\*"); entries.valid(); entries.next()) ++n;
  return n;
}

TEST(WriteFileAtomically, WritesNewAndReplacesExistingHiddenFiles) {
  TempFolder folder;
  const std::string path = folder.file("icon.png");
  const Bytes first{1, 2, 3}, second{9, 8, 7, 6};
  ASSERT_TRUE(WriteFileAtomically(path, first));
  EXPECT_EQ(ReadWholeFile(path), first);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(WriteFileAtomically(path, second));
  EXPECT_EQ(ReadWholeFile(path), second);
  EXPECT_EQ(FilesIn(folder.path()), 1) << "no temporary file stays behind";
}

TEST(WriteFileAtomically, FailureLeavesNothingBehind) {
  TempFolder folder;
  EXPECT_FALSE(WriteFileAtomically(folder.file("missing\\icon.png"), Bytes{1}));
  // A target that is a folder cannot be replaced by a file.
  CreateDirectoryA(folder.file("taken").c_str(), nullptr);
  EXPECT_FALSE(WriteFileAtomically(folder.file("taken"), Bytes{1, 2}));
  EXPECT_EQ(FilesIn(folder.path()), 1);
}

TEST(ReadWholeFile, MissingEmptyAndOversizedFilesReadAsEmpty) {
  TempFolder folder;
  EXPECT_TRUE(ReadWholeFile(folder.file("none")).empty());
  ASSERT_TRUE(WriteTestFile(folder.file("five"), Bytes{1, 2, 3, 4, 5}));
  EXPECT_EQ(ReadWholeFile(folder.file("five")).size(), 5u);
  EXPECT_TRUE(ReadWholeFile(folder.file("five"), 4).empty());
  EXPECT_TRUE(FileHoldsBytes(folder.file("five"), Bytes{1, 2, 3, 4, 5}));
  EXPECT_FALSE(FileHoldsBytes(folder.file("five"), Bytes{1, 2, 3, 4, 6}));
  EXPECT_FALSE(FileHoldsBytes(folder.file("five"), Bytes{1, 2, 3, 4}));
}

TEST(IsSameFile, TheSameFileWhateverTheSpellingOrLink) {
  TempFolder folder;
  const std::string file = folder.file("icon.png");
  ASSERT_TRUE(WriteFileAtomically(file, Bytes{1, 2, 3}));
  ASSERT_TRUE(WriteFileAtomically(folder.file("copy.png"), Bytes{1, 2, 3}));
  EXPECT_TRUE(IsSameFile(file, folder.file("ICON.PNG")));
  EXPECT_TRUE(IsSameFile(file, folder.path() + "\\.\\icon.png"));
  if (CreateHardLinkA(folder.file("link.png").c_str(), file.c_str(), nullptr)) {
    EXPECT_TRUE(IsSameFile(file, folder.file("link.png"))) << "a hard link is the same file";
  }
  EXPECT_FALSE(IsSameFile(file, folder.file("copy.png"))) << "equal bytes, another file";
  EXPECT_FALSE(IsSameFile(file, folder.file("missing.png")));
  EXPECT_FALSE(IsSameFile(file, ""));
}

}  // namespace

// The folder of a path never ends inside a double-byte character: on code
// page 936, 0x95 0x5C is one character whose second byte is a backslash.
TEST(FolderOfCp936, SplitsOnlyAtRealSeparators) {
  const std::string path = "C:\\d\\a\x95\x5C" "b.png";
  EXPECT_EQ(FolderOf(path), GetACP() == 936 ? "C:\\d" : "C:\\d\\a\x95");
  EXPECT_EQ(FolderOf("C:/x/y.png"), "C:/x");
  EXPECT_EQ(FolderOf("y.png"), "");
}
