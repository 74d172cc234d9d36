#include "ios/IpaIconChoice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const char kApp[] = "Payload\\Foo.app\\";

// An entry as the listing gives it; the packed size only has to be non-zero.
ArchiveEntry Entry(const std::string& path, std::uint64_t size, std::uint64_t packed = 10) {
  return {path, size, packed};
}

TEST(ChooseIpaIconEntry, LargestOfTheAppsOwnIcons) {
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
      {"the fourth counts too",
       {Entry(app + "AppIconA.png", 500), Entry(app + "AppIconB.png", 800), Entry(app + "AppIconC.png", 300),
        Entry(app + "AppIconD.png", 900)},
       "Payload\\Foo.app\\AppIconD", 900},
      {"iPad icons after the phone's",
       {Entry(app + "AppIcon20x20@2x.png", 1200), Entry(app + "AppIcon29x29@2x.png", 2000), Entry(app + "AppIcon40x40@2x.png", 3000),
        Entry(app + "AppIcon60x60@2x.png", 5000), Entry(app + "AppIcon76x76@2x~ipad.png", 7000),
        Entry(app + "AppIcon83.5x83.5@2x~ipad.png", 8000), Entry(app + "AppIcon40x40@2x~ipad.png", 3000)},
       "Payload\\Foo.app\\AppIcon83.5x83.5@2x~ipad", 8000},
      {"a tie goes to the earlier", {Entry(app + "AppIconA.png", 500), Entry(app + "AppIconB.png", 500)},
       "Payload\\Foo.app\\AppIconA", 500},
      {"a later tie with the largest",
       {Entry(app + "AppIconA.png", 300), Entry(app + "AppIconB.png", 900), Entry(app + "AppIconC.png", 500),
        Entry(app + "AppIconD.png", 900)},
       "Payload\\Foo.app\\AppIconB", 900},
      {"the first may win", {Entry(app + "AppIconA.png", 900), Entry(app + "AppIconB.png", 500), Entry(app + "AppIconC.png", 700)},
       "Payload\\Foo.app\\AppIconA", 900},
      {"nested bundles and folders of the app are no candidates",
       {Entry(app + "PlugIns\\Widget.appex\\AppIcon60x60@3x.png", 900), Entry(app + "Watch\\W.app\\AppIcon40x40@2x.png", 950),
        Entry(app + "Frameworks\\F.framework\\AppIcon.png", 990), Entry(app + "AppIcon20x20.png", 100),
        Entry(app + "Icons\\AppIcon76x76.png", 999)},
       "Payload\\Foo.app\\AppIcon20x20", 100},
      {"'/' between the folders",
       {Entry("Payload/Foo.app/AppIcon60x60@2x.png", 500), Entry("Payload/Foo.app/PlugIns/W.appex/AppIcon60x60@3x.png", 900)},
       "Payload/Foo.app/AppIcon60x60@2x", 500},
      {"ordinary files and letter case",
       {Entry(app + "Info.plist", 100), Entry("payload\\Foo.APP\\appicon60x60@2x.PNG", 38497), Entry(app + "Assets.car", 200)},
       "payload\\Foo.APP\\appicon60x60@2x", 38497},
      {"a nothing-packed entry is no candidate",
       {Entry(app + "AppIconA.png", 0, 0), Entry(app + "AppIconB.png", 900, UINT64_MAX), Entry(app + "AppIconC.png", 5)},
       "Payload\\Foo.app\\AppIconC", 5},
      {"sizes beyond 32 bits", {Entry(app + "AppIconBig.png", 5000000000), Entry(app + "AppIconA.png", 500)},
       "Payload\\Foo.app\\AppIconBig", 5000000000},
      {"png in a folder name", {Entry("Payload\\pngview.app\\AppIcon60x60.png", 500)}, "Payload\\pngview.app\\AppIcon60x60", 500},
      {"only the final .png goes", {Entry(app + "AppIconpng.png", 500)}, "Payload\\Foo.app\\AppIconpng", 500},
      {"outside Payload\\<name>.app\\",
       {Entry("AppIcon60x60.png", 900), Entry("Payload\\AppIcon60x60.png", 900), Entry("Other\\Foo.app\\AppIcon.png", 900),
        Entry("Payload\\Foo\\AppIcon.png", 900), Entry("Payload\\.app\\AppIcon.png", 900), Entry(app + "..\\..\\AppIcon.png", 900)},
       "", 0},
      {"an entry inside a folder named like an icon", {Entry("Payload\\A.app\\AppIcon60x60@2x.png\\pt.com", 500)}, "", 0},
      {"no AppIcon PNG",
       {Entry(app + "Info.plist", 100), Entry(app + "Default.png", 100), Entry("Payload\\AppIcon.app\\CON.png", 100),
        Entry(app + "AppIcon60x60.png.bak", 100)},
       "", 0},
      {"WebP only when there is no PNG",
       {Entry(app + "AppIcon60x60@3x.webp", 900), Entry(app + "AppIcon40x40.png", 300)}, "Payload\\Foo.app\\AppIcon40x40", 300},
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
  const std::vector<ArchiveEntry> hidden = {Entry("Payload\\Foo.app\\\x81" "AppIcon.png", 500)};
  EXPECT_EQ(ChooseIpaIconEntry(hidden, Gbk936LeadByte).name, "");
  EXPECT_EQ(ChooseIpaIconEntry(hidden, NoLeadBytes).name, "Payload\\Foo.app\\\x81" "AppIcon");
  // 0x81 '\' is one character too: the bundle's name, not a folder.
  const std::vector<ArchiveEntry> trail = {Entry("Payload\\\x81\\.app\\AppIcon.png", 500)};
  EXPECT_EQ(ChooseIpaIconEntry(trail, Gbk936LeadByte).name, "Payload\\\x81\\.app\\AppIcon");
  EXPECT_EQ(ChooseIpaIconEntry(trail, NoLeadBytes).name, "");
}

}  // namespace
