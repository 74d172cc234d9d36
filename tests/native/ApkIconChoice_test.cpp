#include "android/ApkIconChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/IcoDecode.h"
#include "tests/support/TestImages.h"

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


TEST(RankedRasterIcons, EveryDensityInTheOrderOfPreference) {
  const std::vector<std::string> expected = {"res/mipmap-xxhdpi-v4/a.png", "res/mipmap-xxhdpi-v4/a.webp",
                                             "res/mipmap-xhdpi-v4/a.png", "res/drawable/a.png"};
  EXPECT_EQ(RankedRasterIcons("res/drawable/a.png\nres/mipmap-xxhdpi-v4/a.webp\nres/mipmap-xhdpi-v4/a.png\n"
                              "res/mipmap-xxhdpi-v4/a.png\nres/mipmap-xhdpi-v4/b.png\n",
                              "res/mipmap-anydpi-v26/a.xml"),
            expected);
}

// A real package's lines (io.appium.settings 8.0.10), the last density named
// twice as real badgings do, and lines that are not icon lines.
TEST(BadgingIconEntries, EachNamedEntryOnceInTheOrderOfTheText) {
  const std::string badging =
      "package: name='io.appium.settings' versionCode='1'\r\n"
      "application-icon-120:'res/drawable-ldpi-v4/ic_launcher.png'\r\n"
      "application-icon-160:'res/drawable-mdpi-v4/ic_launcher.png'\r\n"
      "application-icon-640:'res/drawable-xxxhdpi-v4/ic_launcher.png'\r\n"
      "application-icon-65535:'res/drawable-xxxhdpi-v4/ic_launcher.png'\r\n"
      "application: label='Appium Settings' icon='res/drawable-mdpi-v4/ic_launcher.png'\r\n"
      "launchable-activity: name='x'  label='' icon=''\r\n"
      "application-icon-240:'unterminated\n"
      "application-icon-320:'res/o'dd.png'";
  const std::vector<std::string> expected = {"res/drawable-ldpi-v4/ic_launcher.png", "res/drawable-mdpi-v4/ic_launcher.png",
                                             "res/drawable-xxxhdpi-v4/ic_launcher.png", "res/o'dd.png"};
  EXPECT_EQ(BadgingIconEntries(badging), expected);
  std::string many;
  for (int i = 0; i < 40; ++i) many += "application-icon-" + std::to_string(i) + ":'res/" + std::to_string(i) + ".png'\n";
  EXPECT_EQ(BadgingIconEntries(many).size(), kMaxDensityEntries);
}

// The chosen image first as it is, then the smaller densities largest
// first, each size once; what does not decode, is larger, or is no PNG
// stays out, and a lone image stays a plain PNG.
TEST(DensityIconGroup, TheChosenFirstThenSmallerDensities) {
  const Bytes x192 = EncodePng(SolidImage(192, 192, 200, 0, 200, 255));
  const Bytes x48 = EncodePng(SolidImage(48, 48, 255, 0, 0, 255));
  const Bytes x144 = EncodePng(SolidImage(144, 144, 255, 200, 0, 255));
  const Bytes other144 = EncodePng(SolidImage(144, 144, 1, 2, 3, 255));
  const Bytes x256 = EncodePng(SolidImage(256, 256, 0, 0, 0, 255));
  Bytes cut72 = EncodePng(SolidImage(72, 72, 0, 160, 0, 255));
  cut72.resize(cut72.size() / 2);
  const Bytes group = DensityIconGroup(x192, {x48, x144, other144, x256, cut72, Bytes{'R', 'I', 'F', 'F'}, {}});
  const std::vector<IcoEntry> entries = ListIcoEntries(group);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(Bytes(entries[0].data.begin(), entries[0].data.end()), x192);
  EXPECT_EQ(Bytes(entries[1].data.begin(), entries[1].data.end()), x144);
  EXPECT_EQ(Bytes(entries[2].data.begin(), entries[2].data.end()), x48);

  EXPECT_EQ(DensityIconGroup(x192, {x256, cut72}), x192) << "nothing joins it";
  const Bytes notPng = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
  EXPECT_EQ(DensityIconGroup(notPng, {x48}), notPng);
}
