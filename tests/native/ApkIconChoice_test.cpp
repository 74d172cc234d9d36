#include "android/ApkIconChoice.h"

#include <gtest/gtest.h>

// The bitmap of the icon's name in the densest mipmap or drawable folder,
// a PNG before a WebP there, else the earlier line; unqualified folders last.
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
  const struct { const char* listing; const char* xml; const char* chosen; const char* note; } cases[] = {
      {listing.c_str(), "res/mipmap-anydpi-v26/ic_launcher.xml", "res/mipmap-xxhdpi-v4/ic_launcher.png", "PNG before WebP"},
      {listing.c_str(), "res/mipmap-anydpi-v26/ic_launcher_round.xml", "res/mipmap-xxhdpi-v4/ic_launcher_round.png", "its own name"},
      {"res/drawable-nodpi/a.png\nres/drawable-ldpi/a.webp\n", "res/x/a.xml", "res/drawable-ldpi/a.webp", "nodpi after any density"},
      {"res/drawable/a.png\nres/mipmap-hdpi/a.png\nres/mipmap-tvdpi/a.png\n", "a.xml", "res/mipmap-hdpi/a.png", "hdpi above tvdpi"},
      {"res/drawable/a.png\n", "res/mipmap-anydpi-v26/a.xml", "res/drawable/a.png", "an unqualified folder when alone"},
      {"res/mipmap-xxxhdpi-v4/a.png", "a.xml", "res/mipmap-xxxhdpi-v4/a.png", "no final line break"},
      {"res/raw/a.png\nassets/a.png\nres/mipmap-hdpi/sub/a.png\nres/mipmap-hdpi/a.jpg\n", "a.xml", "",
       "only density folders of mipmap or drawable, only PNG or WebP"},
      {"res/mipmap-hdpi/a.png\n", "", "", "no icon name"},
      {"", "res/x/a.xml", "", "an empty listing"},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseRasterIcon(c.listing, c.xml), c.chosen) << c.note;
}

