#include "ios/IpaIconChoice.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "tests/support/IconvCodec.h"

namespace {

// A listing as the 7-Zip console prints it: right-aligned 12-character size
// columns, backslashes, \r\n line ends.
std::string Listing(std::initializer_list<std::pair<long, std::string>> entries) {
  std::string out =
      "\r\n7-Zip (a) 21.07 (x64)\r\n\r\nListing archive: app.ipa\r\n\r\n"
      "   Date      Time    Attr         Size   Compressed  Name\r\n"
      "------------------- ----- ------------ ------------  ------------------------\r\n";
  for (const auto& [size, name] : entries) {
    char line[512];
    std::snprintf(line, sizeof line, "2023-01-17 14:32:08 ..... %12ld %12ld  %s\r\n", size, size > 10 ? size - 7 : size,
                  name.c_str());
    out += line;
  }
  return out + "------------------- ----- ------------ ------------  ------------------------\r\n";
}

std::string Choose(std::initializer_list<std::pair<long, std::string>> entries) {
  return ChooseIpaIcon(Listing(entries), Cp1252Codec());
}

TEST(ChooseIpaIcon, LargestOfTheFirstThreeIconLines) {
  EXPECT_EQ(Choose({{300, "Payload\\Foo.app\\AppIcon20x20.png"},
                    {500, "Payload\\Foo.app\\AppIcon40x40.png"},
                    {800, "Payload\\Foo.app\\AppIcon60x60@3x.png"}}),
            "Payload\\Foo.app\\AppIcon60x60@3x");
  // The fourth line is parsed but never compared.
  EXPECT_EQ(Choose({{500, "Payload\\Foo.app\\AppIconA.png"},
                    {800, "Payload\\Foo.app\\AppIconB.png"},
                    {300, "Payload\\Foo.app\\AppIconC.png"},
                    {900, "Payload\\Foo.app\\AppIconD.png"}}),
            "Payload\\Foo.app\\AppIconB");
  EXPECT_EQ(Choose({{500, "Payload\\Foo.app\\AppIconA.png"}, {500, "Payload\\Foo.app\\AppIconB.png"}}),
            "Payload\\Foo.app\\AppIconA") << "a tie goes to the earlier line";
  EXPECT_EQ(Choose({{900, "Payload\\Foo.app\\AppIconA.png"}, {500, "Payload\\Foo.app\\AppIconB.png"},
                    {700, "Payload\\Foo.app\\AppIconC.png"}}),
            "Payload\\Foo.app\\AppIconA");
}

TEST(ChooseIpaIcon, SingleLineOrdinaryFilesAndCase) {
  EXPECT_EQ(Choose({{100, "Payload\\Foo.app\\Info.plist"},
                    {38497, "Payload\\Foo.app\\appicon60x60@2x.PNG"},
                    {200, "Payload\\Foo.app\\Assets.car"}}),
            "Payload\\Foo.app\\appicon60x60@2x");
  EXPECT_EQ(Choose({{100, "Payload\\Foo.app\\Info.plist"}}), "");
  EXPECT_EQ(ChooseIpaIcon("", Cp1252Codec()), "");
  EXPECT_EQ(ChooseIpaIcon("not an archive\r\nERROR: cannot open", Cp1252Codec()), "");
}

TEST(ChooseIpaIcon, WebpLinesYieldNoName) {
  EXPECT_EQ(Choose({{500, "Payload\\Foo.app\\AppIcon60x60.webp"}}), "");
}

TEST(ChooseIpaIcon, PngInAFolderNameKeepsTheNameWhole) {
  // The name runs to the icon's own ".png", not to the first "png".
  EXPECT_EQ(Choose({{500, "Payload\\pngview.app\\AppIcon60x60.png"}}), "Payload\\pngview.app\\AppIcon60x60");
  EXPECT_EQ(Choose({{500, "Payload\\A.app\\AppIcon60x60@2x.png\\pt.com"}}), "Payload\\A.app\\AppIcon60x60@2x")
      << "a name that doubles as a folder still names the icon";
}

TEST(ChooseIpaIcon, HugeSizeColumnSaturates) {
  EXPECT_EQ(Choose({{500, "Payload\\Foo.app\\AppIconA.png"}}), "Payload\\Foo.app\\AppIconA");
  const std::string listing = "2023-01-17 14:32:08 ..... 99999999999999999999 12  Payload\\Foo.app\\AppIconBig.png\r\n"
                              "2023-01-17 14:32:08 .....          500          300  Payload\\Foo.app\\AppIconA.png\r\n";
  EXPECT_EQ(ChooseIpaIcon(listing, Cp1252Codec()), "Payload\\Foo.app\\AppIconBig");
}

}  // namespace
