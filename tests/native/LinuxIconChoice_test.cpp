#include "linux/LinuxIconChoice.h"

#include <gtest/gtest.h>

#include "linux/AppImage.h"

namespace {

TEST(DesktopEntry, OnlyTheMainGroupsUnlocalisedKeysCount) {
  const DesktopEntry entry = ReadDesktopEntry(
      "# comment\n[Desktop Action New]\nIcon=action-icon\nType=Application\n"
      "[Desktop Entry]\r\nName=Calc\r\nIcon[de]=rechner\r\n Icon = org.example.Calc \r\nType=Application\r\n"
      "[X-Other]\nIcon=other\nNoDisplay=true\n");
  EXPECT_TRUE(entry.application);
  EXPECT_FALSE(entry.hidden);
  EXPECT_EQ(entry.icon, "org.example.Calc");
  EXPECT_FALSE(ReadDesktopEntry("[Desktop Entry]\nType=Link\nIcon=x\n").application);
  EXPECT_TRUE(ReadDesktopEntry("[Desktop Entry]\nType=Application\nNoDisplay=true\n").hidden);
  EXPECT_TRUE(ReadDesktopEntry("[Desktop Entry]\nHidden=true\n").hidden);
  EXPECT_EQ(ReadDesktopEntry("Icon=outside-any-group\n").icon, "");
}

TEST(PackagePaths, StayInsideThePackage) {
  const struct {
    const char* link;
    const char* target;
    const char* expected;  // "" refused
  } kCases[] = {
      {"usr/share/pixmaps/a.png", "../icons/hicolor/48x48/apps/a.png", "usr/share/icons/hicolor/48x48/apps/a.png"},
      {"usr/share/pixmaps/a.png", "/usr/share/a.png", "usr/share/a.png"},
      {".DirIcon", "usr/share/icons/a.png", "usr/share/icons/a.png"},
      {".DirIcon", "./a/./b/../c.png", "a/c.png"},
      {"usr/a.png", "../../etc/passwd", ""},
      {".DirIcon", "../x.png", ""},
      {"usr/a.png", "/../../etc/passwd", ""},
      {"usr/a.png", "", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(LinkDestination(c.link, c.target), c.expected) << c.target;
  EXPECT_EQ(PackagePath(".\\usr\\share\\x.png"), "usr/share/x.png");
  EXPECT_EQ(PackagePath("./"), "");
}

std::vector<ArchiveEntry> Listed(std::initializer_list<const char*> paths) {
  std::vector<ArchiveEntry> entries;
  for (const char* path : paths) entries.push_back({path, 10, 10});
  return entries;
}

TEST(PackageTree, DesktopFilesThePackagesOwnFirst) {
  const std::vector<ArchiveEntry> entries =
      Listed({".\\usr\\share\\applications\\helper.desktop", ".\\usr\\share\\applications\\sub\\x.desktop",
              ".\\usr\\share\\applications\\calc.desktop", ".\\usr\\share\\applications\\readme.txt"});
  const PackageTree tree(entries);
  const std::vector<const ArchiveEntry*> files = tree.desktopFiles("usr/share/applications", "calc");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], &entries[2]);
  EXPECT_EQ(files[1], &entries[0]);
}

TEST(PackageTree, IconFilesLargestFirstThenPixmapsThenTheRoot) {
  const std::vector<ArchiveEntry> entries = Listed({
      "usr/share/icons/hicolor/48x48/apps/calc.png",
      "usr/share/icons/hicolor/128x128@2/apps/calc.png",  // 256 pixels
      "usr/share/icons/hicolor/192x192/apps/calc.png",
      "usr/share/icons/hicolor/symbolic/apps/calc.png",
      "usr/share/icons/hicolor/512x512/mimetypes/calc.png",
      "usr/share/icons/hicolor/scalable/apps/calc.svg",
      "usr/share/icons/hicolor/64x32/apps/calc.png",
      "usr/share/pixmaps/calc.png",
      "calc.png",
      "usr/share/icons/hicolor/64x64/apps/calc-symbolic.png",
      "usr/share/icons/hicolor/32x32/apps/calc.xpm",
      "usr/share/icons/hicolor/scalable/apps/org.gnome.Calculator.svg",
      "usr/share/icons/hicolor/48x48/apps/org.gnome.Calculator.png",
      "usr/share/icons/hicolor/48x48/apps/org.gnome.Calculator.Extension.png",
      "usr/share/pixmaps/mini.xterm.svg",
      "usr/share/pixmaps/mini.xterm_48x48.xpm",
      "usr/share/icons/hicolor/64x64/apps/io.github.app.svg",
      "io.github.app.png",
      "usr/share/icons/hicolor/48x48/apps/ark.png",
      "usr/share/icons/hicolor/scalable/apps/ark.svgz",
      "usr/share/pixmaps/xbill.xpm",
  });
  const PackageTree tree(entries);
  const struct {
    const char* icon;
    std::vector<std::string> expected;
  } kCases[] = {
      {"calc", {"usr/share/icons/hicolor/scalable/apps/calc.svg", "usr/share/icons/hicolor/128x128@2/apps/calc.png",
                "usr/share/icons/hicolor/192x192/apps/calc.png", "usr/share/icons/hicolor/48x48/apps/calc.png",
                "usr/share/icons/hicolor/32x32/apps/calc.xpm", "usr/share/pixmaps/calc.png", "calc.png"}},
      // The legacy form: the extension names no file, only the icon.
      {"calc.svg", {"usr/share/icons/hicolor/scalable/apps/calc.svg", "usr/share/icons/hicolor/128x128@2/apps/calc.png",
                    "usr/share/icons/hicolor/192x192/apps/calc.png", "usr/share/icons/hicolor/48x48/apps/calc.png",
                    "usr/share/icons/hicolor/32x32/apps/calc.xpm", "usr/share/pixmaps/calc.png", "calc.png"}},
      // Icon names with dots, as GNOME, KDE, Xfce and Flathub name them.
      {"org.gnome.Calculator", {"usr/share/icons/hicolor/scalable/apps/org.gnome.Calculator.svg",
                                "usr/share/icons/hicolor/48x48/apps/org.gnome.Calculator.png"}},
      {"org.gnome.Calculator.PNG", {"usr/share/icons/hicolor/scalable/apps/org.gnome.Calculator.svg",
                                    "usr/share/icons/hicolor/48x48/apps/org.gnome.Calculator.png"}},
      {"mini.xterm", {"usr/share/pixmaps/mini.xterm.svg"}},  // not mini.xterm_48x48.xpm
      {"ark", {"usr/share/icons/hicolor/scalable/apps/ark.svgz", "usr/share/icons/hicolor/48x48/apps/ark.png"}},
      {"xbill.xpm", {"usr/share/pixmaps/xbill.xpm"}},
      {"io.github.app", {"usr/share/icons/hicolor/64x64/apps/io.github.app.svg", "io.github.app.png"}},
      {"org.gnome.Calculator.desktop", {}},
      {"calc-symbolic", {}},
      {"/usr/share/pixmaps/calc.png", {"usr/share/pixmaps/calc.png"}},
      {"${SNAP}/meta/gui/icon.png", {"meta/gui/icon.png"}},
      {"../../etc/x", {}},
      {"/../../etc/x", {}},
      {"", {}},
  };
  for (const auto& c : kCases) EXPECT_EQ(tree.iconPaths(c.icon), c.expected) << c.icon;
}

TEST(PackageTree, FoldersOnTheWayToIcons) {
  for (const char* folder : {"usr", "usr/share", "meta", "meta/gui", "usr/share/applications", "usr/share/pixmaps",
                             "usr/share/icons", "usr/share/icons/hicolor", "usr/share/icons/hicolor/48x48",
                             "usr/share/icons/hicolor/scalable/apps"})
    EXPECT_TRUE(MayLeadToIcon(folder)) << folder;
  for (const char* folder : {"usr/lib", "usr/share/doc", "usr/share/icons/Adwaita", "usr/share/icons/hicolor/48x48/mimetypes",
                             "usr/share/icons/hicolor/48x48/apps/x", "usr/share/applications/kde", "meta/hooks", "usr/sha"})
    EXPECT_FALSE(MayLeadToIcon(folder)) << folder;
}

TEST(IconsElsewhere, ThemeNames) {
  EXPECT_TRUE(IsThemeIconName("utilities-terminal"));
  EXPECT_TRUE(IsThemeIconName("accessories-calculator"));
  EXPECT_FALSE(IsThemeIconName("org.gnome.Terminal"));
  EXPECT_FALSE(IsThemeIconName("utilities-terminal-symbolic"));
}

TEST(PackageNames, FromTheFileName) {
  EXPECT_EQ(DebPackageName("gnome-calculator_43.0-1_amd64.deb"), "gnome-calculator");
  EXPECT_EQ(RpmPackageName("gnome-calculator-43.0-1.fc37.x86_64.rpm"), "gnome-calculator");
  EXPECT_EQ(RpmPackageName("plain.rpm"), "plain");
}

TEST(AppImage, TheImageStartsWhereTheSectionTableEnds) {
  Bytes elf(kElfHeaderBytes, 0);
  elf[0] = 0x7F, elf[1] = 'E', elf[2] = 'L', elf[3] = 'F', elf[4] = 2, elf[5] = 1;
  elf[0x28] = 0x00, elf[0x29] = 0x10;  // e_shoff 0x1000
  elf[0x3A] = 64, elf[0x3C] = 3;       // three 64-byte entries
  EXPECT_EQ(AppImageImageOffset(elf, 0x2000), 0x1000u + 192);
  EXPECT_EQ(AppImageImageOffset(elf, 0x1000), std::nullopt) << "the table beyond the file";
  Bytes big = elf;
  big[5] = 2, big[0x28] = 0, big[0x29] = 0, big[0x2E] = 0x10, big[0x3A] = 0, big[0x3B] = 64, big[0x3C] = 0, big[0x3D] = 3;
  EXPECT_EQ(AppImageImageOffset(big, 0x2000), 0x1000u + 192) << "big-endian";
  elf[0] = 'M';
  EXPECT_EQ(AppImageImageOffset(elf, 0x2000), std::nullopt);

  Bytes superblock(kSquashFsSuperblockBytes, 0);
  superblock[0] = 'h', superblock[1] = 's', superblock[2] = 'q', superblock[3] = 's', superblock[28] = 4;
  superblock[40] = 0x00, superblock[41] = 0x20;  // bytes_used 0x2000
  EXPECT_EQ(SquashFsImageSize(superblock), 0x2000u);
  superblock[28] = 3;
  EXPECT_EQ(SquashFsImageSize(superblock), std::nullopt) << "SquashFS 3";
}

}  // namespace
