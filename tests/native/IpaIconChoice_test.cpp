#include "ios/IpaIconChoice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const char kApp[] = "Payload\\Foo.app\\";

// An entry as the listing gives it; the packed size only has to be non-zero.
ArchiveEntry Entry(const std::string& path, std::uint64_t size, std::uint64_t packed = 10) {
  return {path, size, packed};
}

TEST(ChooseIpaIconEntry, LargestOfTheFirstThreeCandidates) {
  const std::string app = kApp;
  const struct {
    const char* what;
    std::vector<ArchiveEntry> entries;
    const char* name;
    std::uint64_t size;
  } cases[] = {
      {"the largest of three",
       {Entry(app + "AppIcon20x20.png", 300), Entry(app + "AppIcon40x40.png", 500), Entry(app + "AppIcon60x60@3x.png", 800)},
       "Payload\\Foo.app\\AppIcon60x60@3x", 800},
      {"the fourth is never compared",
       {Entry(app + "AppIconA.png", 500), Entry(app + "AppIconB.png", 800), Entry(app + "AppIconC.png", 300),
        Entry(app + "AppIconD.png", 900)},
       "Payload\\Foo.app\\AppIconB", 800},
      {"a tie goes to the earlier", {Entry(app + "AppIconA.png", 500), Entry(app + "AppIconB.png", 500)},
       "Payload\\Foo.app\\AppIconA", 500},
      {"the first may win", {Entry(app + "AppIconA.png", 900), Entry(app + "AppIconB.png", 500), Entry(app + "AppIconC.png", 700)},
       "Payload\\Foo.app\\AppIconA", 900},
      {"ordinary files and letter case",
       {Entry(app + "Info.plist", 100), Entry(app + "appicon60x60@2x.PNG", 38497), Entry(app + "Assets.car", 200)},
       "Payload\\Foo.app\\appicon60x60@2x", 38497},
      {"a nothing-packed entry is no candidate",
       {Entry(app + "AppIconA.png", 0, 0), Entry(app + "AppIconB.png", 900, UINT64_MAX), Entry(app + "AppIconC.png", 5)},
       "Payload\\Foo.app\\AppIconC", 5},
      {"sizes beyond 32 bits", {Entry(app + "AppIconBig.png", 5000000000), Entry(app + "AppIconA.png", 500)},
       "Payload\\Foo.app\\AppIconBig", 5000000000},
      {"png in a folder name", {Entry("Payload\\pngview.app\\AppIcon60x60.png", 500)}, "Payload\\pngview.app\\AppIcon60x60", 500},
      {"a name that doubles as a folder", {Entry("Payload\\A.app\\AppIcon60x60@2x.png\\pt.com", 500)},
       "Payload\\A.app\\AppIcon60x60@2x", 500},
      {"at least one character before png", {Entry("AppIconpng.png", 500)}, "AppIconpng", 500},
      {"no AppIcon", {Entry(app + "Info.plist", 100), Entry(app + "Default.png", 100)}, "", 0},
      {"WebP icons give no name", {Entry(app + "AppIcon60x60.webp", 500)}, "", 0},
      {"no entries", {}, "", 0},
  };
  for (const auto& c : cases) {
    const IpaIconEntry chosen = ChooseIpaIconEntry(c.entries, NoLeadBytes);
    EXPECT_EQ(chosen.name, c.name) << c.what;
    EXPECT_EQ(chosen.size, c.size) << c.what;
  }
}

TEST(ChooseIpaIconEntry, WholeDoubleByteCharactersOnly) {
  // In code page 936, 0x81 'A' is one character: no "AppIcon" starts there.
  const std::vector<ArchiveEntry> hidden = {Entry("Payload\\\x81" "AppIcon.png", 500)};
  EXPECT_EQ(ChooseIpaIconEntry(hidden, Gbk936LeadByte).name, "");
  EXPECT_EQ(ChooseIpaIconEntry(hidden, NoLeadBytes).name, "Payload\\\x81" "AppIcon");
  // The character before "png" may take two bytes.
  EXPECT_EQ(ChooseIpaIconEntry({Entry("AppIcon1\x81" "Apng", 500)}, Gbk936LeadByte).name, "AppIcon1");
}

}  // namespace
