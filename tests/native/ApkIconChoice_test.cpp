#include "extract/ApkIconChoice.h"

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
