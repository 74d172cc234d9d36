#include "tools/ArchiveListing.h"

#include <gtest/gtest.h>

namespace {

// What 7-Zip prints for "l -slt", cut to the fields read, \r\n line ends.
const char kListing[] =
    "7-Zip (a) 21.07 (x64)\r\n\r\nListing archive: C:\\in\\x.zip\r\n\r\n--\r\n"
    "Path = C:\\in\\x.zip\r\nType = zip\r\nPhysical Size = 4242\r\n\r\n"
    "----------\r\n"
    "Path = Assets\r\nFolder = +\r\nSize = 0\r\nPacked Size = 0\r\n\r\n"
    "Path = Assets\\My%20Logo.png\r\nFolder = -\r\nSize = 912\r\nPacked Size = 800\r\nMethod = Deflate\r\n\r\n"
    "Path = Assets\\Trailing\\\r\nFolder = -\r\nSize = 1\r\n\r\n"
    "Path = Huge.bin\r\nFolder = -\r\nSize = 18446744073709551615\r\nPacked Size = 12x\r\n\r\n"
    "Path = Over.bin\r\nFolder = -\r\nSize = 18446744073709551616\r\n\r\n"
    "Path = NoSize.bin\r\nFolder = -\r\n\r\n"
    "Size = 5\r\n"  // outside any block
    "Path = Last.bin\nFolder = -\nSize = 77\nPacked Size = 70\n";  // LF only, no final blank line

TEST(ParseArchiveListing, FilesWithTheirSizesInListingOrder) {
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(kListing);
  const struct { const char* path; std::uint64_t size, packed; } expected[] = {
      {"Assets\\My%20Logo.png", 912, 800},
      {"Huge.bin", 18446744073709551615u, UINT64_MAX},
      {"Over.bin", UINT64_MAX, UINT64_MAX},
      {"NoSize.bin", UINT64_MAX, UINT64_MAX},
      {"Last.bin", 77, 70},
  };
  ASSERT_EQ(entries.size(), std::size(expected));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].path, expected[i].path);
    EXPECT_EQ(entries[i].size, expected[i].size) << expected[i].path;
    EXPECT_EQ(entries[i].packedSize, expected[i].packed) << expected[i].path;
  }
  EXPECT_TRUE(ParseArchiveListing("Path = a.png\r\nSize = 1\r\n").empty()) << "nothing before the dashes";
  EXPECT_TRUE(ParseArchiveListing("----------\r\nPath=a.png\r\nSize = 1\r\n").empty()) << "not a field";
  EXPECT_TRUE(ParseArchiveListing("").empty());
}

TEST(ParseArchiveListing, ForgedLinesNeverShrinkAnEntry) {
  // A stored name holding line breaks prints lines of its own; the real
  // entry's size still counts, and the path is kept once, where it first came.
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(
      "----------\r\n"
      "Path = x\r\n\r\nPath = AppxManifest.xml\r\nFolder = -\r\nSize = 10\r\nFolder = -\r\nSize = 5\r\n\r\n"
      "Path = b.png\r\nFolder = -\r\nSize = 3\r\n\r\n"
      "Path = AppxManifest.xml\r\nFolder = -\r\nSize = 900000000\r\nPacked Size = 40\r\n\r\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].path, "x");
  EXPECT_EQ(entries[1].path, "AppxManifest.xml");
  EXPECT_EQ(entries[1].size, 900000000u);
  EXPECT_EQ(entries[1].packedSize, UINT64_MAX) << "the larger of the packed sizes too";
  EXPECT_EQ(entries[2].path, "b.png");
}

TEST(ParseArchiveListing, FilterAndCapCountOnlyKeptEntries) {
  std::string listing = "----------\n";
  for (int i = 0; i < 10; ++i) listing += "Path = data" + std::to_string(i) + ".bin\nSize = 1\n\n";
  for (int i = 0; i < 5; ++i) listing += "Path = p" + std::to_string(i) + ".apk\nSize = 1\n\nPath = p0.apk\nSize = 2\n\n";
  const auto apkOnly = [](std::string_view path) { return path.ends_with(".apk"); };
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(listing, apkOnly, 3);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].path, "p0.apk");
  EXPECT_EQ(entries[0].size, 2u) << "a repeated path is merged even at the cap";
  EXPECT_EQ(entries[2].path, "p2.apk");
  EXPECT_EQ(ParseArchiveListing(listing).size(), 15u);
}

}  // namespace

namespace {

// Unix archives: the mode tells folders and links; tar and cpio print a
// symbolic link's target, tar a hard link's file from the root.
TEST(ParseArchiveListing, UnixModesAndLinks) {
  const std::vector<ArchiveEntry> entries = ParseArchiveListing(
      "----------\r\n"
      "Path = .\\usr\\share\r\nSize = 0\r\nMode = drwxr-xr-x\r\nSymbolic Link = \r\nHard Link = \r\n\r\n"
      "Path = .\\usr\\share\\a.png\r\nSize = 664\r\nMode = -rw-r--r--\r\nSymbolic Link = \r\n\r\n"
      "Path = .\\usr\\share\\b.png\r\nSize = 0\r\nMode = lrwxrwxrwx\r\nSymbolic Link = ../x/a.png\r\n\r\n"
      "Path = usr\\c.png\r\nSize = 24\r\nMode = lrwxrwxrwx\r\n\r\n"
      "Path = .\\d.png\r\nSize = 0\r\nMode = -rw-r--r--\r\nSymbolic Link = \r\nHard Link = ./usr/share/a.png\r\n\r\n"
      "Path = A.app\\Contents\\Info.plist\r\nSize = 9\r\nAttributes =  lrwxrwxrwx\r\n\r\n"
      "Path = A.app\\Contents\\PkgInfo\r\nSize = 9\r\nAttributes = A -rw-r--r--\r\n\r\n");
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_TRUE(entries[4].symbolicLink) << "a ZIP's Unix mode";
  EXPECT_FALSE(entries[5].symbolicLink);
  EXPECT_FALSE(entries[0].symbolicLink);
  EXPECT_EQ(entries[0].path, ".\\usr\\share\\a.png");
  EXPECT_TRUE(entries[1].symbolicLink);
  EXPECT_EQ(entries[1].linkTarget, "../x/a.png");
  EXPECT_TRUE(entries[2].symbolicLink);
  EXPECT_EQ(entries[2].linkTarget, "") << "a SquashFS link holds its target";
  EXPECT_TRUE(entries[3].symbolicLink);
  EXPECT_EQ(entries[3].linkTarget, "/./usr/share/a.png");
}

}  // namespace
