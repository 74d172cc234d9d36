#include "android/ApkIconChoice.h"

#include <gtest/gtest.h>

TEST(ChooseRasterIcon, HighestDensityThenPngThenEarlierLine) {
  const std::string listing =
      "AndroidManifest.xml\r\n"
      "res/mipmap-anydpi-v26/ic_launcher.xml\r\n"
      "res/mipmap-mdpi-v4/ic_launcher.png\r\n"
      "res/mipmap-xxhdpi-v4/ic_launcher.webp\r\n"
      "res/mipmap-xxhdpi-v4/ic_launcher.png\r\n"
      "res/mipmap-xhdpi-v4/ic_launcher.png\r\n"
      "res/mipmap-xxhdpi-v4/ic_launcher_round.png\r\n"
      "resources.arsc\r\n";
  EXPECT_EQ(ChooseRasterIcon(listing, "res/mipmap-anydpi-v26/ic_launcher.xml"), "res/mipmap-xxhdpi-v4/ic_launcher.png");
  EXPECT_EQ(ChooseRasterIcon(listing, "res/mipmap-anydpi-v26/ic_launcher_round.xml"),
            "res/mipmap-xxhdpi-v4/ic_launcher_round.png");
}

TEST(ChooseRasterIcon, DensityOrderAndUnqualifiedFoldersLast) {
  EXPECT_EQ(ChooseRasterIcon("res/drawable-nodpi/a.png\nres/drawable-ldpi/a.webp\n", "res/x/a.xml"),
            "res/drawable-ldpi/a.webp");
  EXPECT_EQ(ChooseRasterIcon("res/drawable/a.png\nres/mipmap-hdpi/a.png\nres/mipmap-tvdpi/a.png\n", "a.xml"),
            "res/mipmap-hdpi/a.png");
  EXPECT_EQ(ChooseRasterIcon("res/drawable/a.png\n", "res/mipmap-anydpi-v26/a.xml"), "res/drawable/a.png");
  EXPECT_EQ(ChooseRasterIcon("res/mipmap-xxxhdpi-v4/a.png", "a.xml"), "res/mipmap-xxxhdpi-v4/a.png") << "no final line break";
}

TEST(ChooseRasterIcon, OnlyDensityFoldersOfMipmapOrDrawable) {
  EXPECT_EQ(ChooseRasterIcon("res/raw/a.png\nassets/a.png\nres/mipmap-hdpi/sub/a.png\nres/mipmap-hdpi/a.jpg\n", "a.xml"), "");
  EXPECT_EQ(ChooseRasterIcon("res/mipmap-hdpi/a.png\n", ""), "");
  EXPECT_EQ(ChooseRasterIcon("", "res/x/a.xml"), "");
}

TEST(ZipInfoEntrySize, TheSizeColumnOfTheLineNamingTheEntry) {
  const std::string listing =
      "-rw-rw-rw-  2.3 unx      172 b- stor 80-Jan-01 00:00 res/drawable/icon.png\r\n"
      "-rw-rw-rw-  2.3 unx 73400320 b- defN 80-Jan-01 00:00 res/drawable/big icon.png\n"
      "-rw-rw-rw-  2.3 unx      999 b- stor 80-Jan-01 00:00 xres/drawable/other.png\n"
      "caution: filename not matched:  res/drawable/gone.png\n";
  const struct { const char* entry; std::optional<std::uint64_t> size; } cases[] = {
      {"res/drawable/icon.png", 172},
      {"res/drawable/big icon.png", 73400320},   // blanks in the name
      {"res/drawable/other.png", std::nullopt},  // only a longer name ends like it
      {"res/drawable/gone.png", std::nullopt},   // the tool's complaint has no size column
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ZipInfoEntrySize(listing, c.entry), c.size) << c.entry;
  EXPECT_EQ(ZipInfoEntrySize("a b c 99999999999999999999999 x y z res/a.png", "res/a.png"), std::nullopt)
      << "a size beyond 64 bits is no size";
}
