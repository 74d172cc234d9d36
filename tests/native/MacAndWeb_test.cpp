#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "image/IcoDecode.h"
#include "image/PngDecode.h"
#include "macos/AppBundle.h"
#include "macos/Icns.h"
#include "macos/Plist.h"
#include "tests/support/TestImages.h"
#include "web/ExtensionManifest.h"

namespace {

// --- icon sets ---------------------------------------------------------------

Bytes Icns(const std::vector<std::pair<std::string, Bytes>>& entries) {
  Bytes body;
  for (const auto& [type, data] : entries) {
    body.insert(body.end(), type.begin(), type.end());
    PutU32be(body, std::uint32_t(data.size() + 8));
    body.insert(body.end(), data.begin(), data.end());
  }
  Bytes out{'i', 'c', 'n', 's'};
  PutU32be(out, std::uint32_t(body.size() + 8));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

// One run-length coded channel of count bytes all of value: runs of up to 130.
Bytes RunsOf(std::size_t count, std::uint8_t value) {
  Bytes out;
  while (count > 0) {
    const std::size_t run = std::min<std::size_t>(count, 130);
    if (run >= 3) {
      out.push_back(std::uint8_t(run + 125)), out.push_back(value);
    } else {
      out.push_back(std::uint8_t(run - 1));
      out.insert(out.end(), run, value);
    }
    count -= run;
  }
  return out;
}

Bytes Rgb(std::size_t count, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Bytes out = RunsOf(count, r);
  for (std::uint8_t v : {g, b}) {
    const Bytes channel = RunsOf(count, v);
    out.insert(out.end(), channel.begin(), channel.end());
  }
  return out;
}

std::uint32_t FirstPixel(const Bytes& png) {
  const RgbaImage image = DecodePng(png);
  if (image.pixels.empty()) return 0;
  return std::uint32_t(image.pixels[3]) << 24 | image.pixels[0] << 16 | image.pixels[1] << 8 | image.pixels[2];
}

TEST(Icns, TheLargestImageWhateverItsForm) {
  const Bytes png64 = EncodePng(SolidImage(64, 64, 0, 0, 255, 255));
  const Bytes jpeg2000 = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  Bytes it32 = {0, 0, 0, 0};
  const Bytes red128 = Rgb(128 * 128, 255, 0, 0);
  it32.insert(it32.end(), red128.begin(), red128.end());
  const Bytes mask128(128 * 128, 0x80);
  // The 128-pixel classic image (half transparent by its mask) outranks the
  // 64-pixel PNG; a JPEG 2000 signature with no codestream behind it is no image.
  EXPECT_EQ(FirstPixel(IcnsLargestImage(Icns({{"ic10", jpeg2000}, {"icp6", png64}, {"it32", it32}, {"t8mk", mask128}}))),
            0x80FF0000u);
  // A PNG is taken byte for byte.
  EXPECT_EQ(IcnsLargestImage(Icns({{"is32", Rgb(256, 1, 2, 3)}, {"icp6", png64}})), png64);
  // Without its mask a classic image is opaque.
  EXPECT_EQ(FirstPixel(IcnsLargestImage(Icns({{"il32", Rgb(1024, 0, 200, 0)}}))), 0xFF00C800u);
  // ARGB form of ic05: alpha, red, green, blue.
  Bytes argb = {'A', 'R', 'G', 'B'};
  for (std::uint8_t v : {0x40, 0x10, 0x20, 0x30}) {
    const Bytes channel = RunsOf(32 * 32, v);
    argb.insert(argb.end(), channel.begin(), channel.end());
  }
  EXPECT_EQ(FirstPixel(IcnsLargestImage(Icns({{"ic05", argb}}))), 0x40102030u);
}

TEST(Icns, DamageGivesNothing) {
  const Bytes good = Rgb(256, 1, 2, 3);  // runs of 130 and 126 per channel
  Bytes overrun = good;
  overrun[2] = 0xFF;  // the second run 130 long: past the channel's 256 bytes
  const Bytes short_(good.begin(), good.end() - 2);
  Bytes lying = Icns({{"is32", good}});
  lying[12] = 0x7F;  // the entry's length beyond the file
  const Bytes cases[] = {Icns({{"is32", overrun}}), Icns({{"is32", short_}}), lying, Icns({{"ic10", {}}}),
                         Bytes{'i', 'c', 'n', 's'}, Bytes{'n', 'o', 'p', 'e', 0, 0, 0, 8}};
  for (const Bytes& c : cases) EXPECT_TRUE(IcnsLargestImage(c).empty());
}

TEST(Icns, AnEntryThatDoesNotDecodeNeverHidesASmallerGoodOne) {
  const Bytes png128 = EncodePng(SolidImage(128, 128, 0, 128, 0, 255));
  // PNG headers that claim more than their data gives: 65535 x 65535 (no
  // image could be that large) and 256 x 256 over data that is no zlib stream.
  const auto lying = [](std::uint32_t side) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    PutU32be(header, side), PutU32be(header, side);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
    PutPngChunk(png, "IHDR", header);
    PutPngChunk(png, "IDAT", Bytes{'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
    PutPngChunk(png, "IEND", {});
    return png;
  };
  const Bytes huge = lying(65535), damaged = lying(256);
  EXPECT_EQ(IcnsLargestImage(Icns({{"ic10", huge}, {"ic07", png128}})), png128);
  EXPECT_EQ(IcnsLargestImage(Icns({{"ic07", png128}, {"ic08", damaged}})), png128);
  EXPECT_TRUE(IcnsLargestImage(Icns({{"ic10", huge}, {"ic08", damaged}})).empty());
}

TEST(Icns, JpegTwoThousandEntriesRankBySizeAndFallBackWhenDamaged) {
  std::ifstream in(std::string(TESSAROO_FUZZ_SEEDS) + "/jpeg2000/rgba.jp2", std::ios::binary);
  const Bytes jp2{std::istreambuf_iterator<char>(in), {}};  // 8 x 8, first pixel 10, 20, 30, alpha 40
  const Bytes png4 = EncodePng(SolidImage(4, 4, 0, 0, 255, 255));
  EXPECT_EQ(FirstPixel(IcnsLargestImage(Icns({{"icp4", png4}, {"ic08", jp2}}))), 0x280A141Eu);
  EXPECT_EQ(IcnsLargestImage(Icns({{"icp4", png4}, {"ic08", Bytes(jp2.begin(), jp2.end() - 40)}})), png4);
}

// The whole set, for choosing among its images: each size once, the first
// of it that decodes (a PNG before a classic image), the largest first.
TEST(Icns, TheWholeSetAsAnIconGroupEachSizeOnce) {
  const Bytes png512 = EncodePng(SolidImage(512, 512, 0, 160, 0, 255));
  const Bytes png256 = EncodePng(SolidImage(256, 256, 0, 0, 200, 255));
  const Bytes twice256 = EncodePng(SolidImage(256, 256, 200, 0, 0, 255));
  Bytes it32 = {0, 0, 0, 0};
  const Bytes red128 = Rgb(128 * 128, 255, 0, 0);
  it32.insert(it32.end(), red128.begin(), red128.end());
  Bytes damaged128 = EncodePng(SolidImage(128, 128, 9, 9, 9, 255));
  damaged128.resize(damaged128.size() / 2);
  const Bytes set = Icns({{"is32", Rgb(256, 1, 2, 3)}, {"ic08", png256}, {"ic13", twice256}, {"ic09", png512},
                          {"ic07", damaged128}, {"it32", it32}});
  const Bytes group = IcnsIconGroup(set);
  const std::vector<IcoEntry> entries = ListIcoEntries(group);
  const struct { std::uint32_t side; std::uint8_t stored; std::uint32_t firstPixel; } expected[] = {
      {512, 0, 0xFF00A000u}, {256, 0, 0xFF0000C8u}, {128, 128, 0xFFFF0000u}, {16, 16, 0xFF010203u}};
  ASSERT_EQ(entries.size(), std::size(expected));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].width, expected[i].side) << i;
    EXPECT_TRUE(entries[i].png) << i;
    EXPECT_EQ(entries[i].directory[0], expected[i].stored) << i;
    EXPECT_EQ(FirstPixel(Bytes(entries[i].data.begin(), entries[i].data.end())), expected[i].firstPixel) << i;
  }
  EXPECT_EQ(Bytes(entries[0].data.begin(), entries[0].data.end()), IcnsLargestImage(set)) << "the PNG as stored";
  EXPECT_TRUE(IcnsIconGroup(Icns({{"ic07", damaged128}})).empty());
  EXPECT_TRUE(IcnsIconGroup(Bytes{'n', 'o', 'p', 'e', 0, 0, 0, 8}).empty());
}

// --- property lists ----------------------------------------------------------

TEST(Plist, StringsOfTheTopDictionaryInEitherForm) {
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\"><dict><key>CFBundleName</key><string>Demo</string>"
      "<key>Nested</key><dict><key>CFBundleIconFile</key><string>Wrong</string></dict>"
      "<key>CFBundleIconFile</key><string>AppIcon</string><key>N</key><integer>3</integer></dict></plist>";
  EXPECT_EQ(PlistString(xml, "CFBundleIconFile"), "AppIcon");
  EXPECT_EQ(PlistString(xml, "N"), std::nullopt) << "not a string";
  EXPECT_EQ(PlistString(xml, "Missing"), std::nullopt);
  EXPECT_EQ(PlistString("<!DOCTYPE plist [<!ENTITY x 'y'>]><plist><dict><key>A</key><string>&x;</string></dict></plist>", "A"),
            std::nullopt) << "an internal subset";

  // plistlib.dumps({"CFBundleIconFile": "AppIcon", "CFBundleName": "Démo 图"}, fmt=FMT_BINARY)
  const std::uint8_t binary[] = {
      0x62, 0x70, 0x6C, 0x69, 0x73, 0x74, 0x30, 0x30, 0xD2, 0x01, 0x02, 0x03, 0x04, 0x5F, 0x10, 0x10, 0x43, 0x46,
      0x42, 0x75, 0x6E, 0x64, 0x6C, 0x65, 0x49, 0x63, 0x6F, 0x6E, 0x46, 0x69, 0x6C, 0x65, 0x5C, 0x43, 0x46, 0x42,
      0x75, 0x6E, 0x64, 0x6C, 0x65, 0x4E, 0x61, 0x6D, 0x65, 0x57, 0x41, 0x70, 0x70, 0x49, 0x63, 0x6F, 0x6E, 0x66,
      0x00, 0x44, 0x00, 0xE9, 0x00, 0x6D, 0x00, 0x6F, 0x00, 0x20, 0x56, 0xFE, 0x08, 0x0D, 0x20, 0x2D, 0x35, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42};
  std::string plist(reinterpret_cast<const char*>(binary), sizeof binary);
  EXPECT_EQ(PlistString(plist, "CFBundleIconFile"), "AppIcon");
  EXPECT_EQ(PlistString(plist, "CFBundleName"), "D\xC3\xA9mo \xE5\x9B\xBE");
  std::string cycle = plist;
  cycle[9] = 0x00;  // the first key is the dictionary itself
  EXPECT_EQ(PlistString(cycle, "CFBundleIconFile"), std::nullopt);
  std::string lying = plist;
  lying[sizeof binary - 1] = 0x7F;  // the offset table beyond the file
  EXPECT_EQ(PlistString(lying, "CFBundleIconFile"), std::nullopt);
  std::string huge = plist;
  huge[8] = char(0xDF), huge[9] = 0x13, huge[10] = char(0xFF);  // a dictionary of 65,535 entries
  EXPECT_EQ(PlistString(huge, "CFBundleIconFile"), std::nullopt);
}

// --- app bundles -------------------------------------------------------------

TEST(AppBundle, TheShallowestAppAndTheIconItsPlistNames) {
  std::vector<ArchiveEntry> entries = {
      {"__MACOSX\\Demo.app\\Contents\\Info.plist", 9, 9},
      {"Demo.app\\Contents\\Frameworks\\Helper.app\\Contents\\Info.plist", 9, 9},
      {"Demo.app\\Contents\\._Info.plist", 9, 9},
      {"Demo.app\\Contents\\Info.plist", 9, 9},
      {"Demo.app\\Contents\\Resources\\Demo.icns", 9, 9},
      {"Demo.app\\Contents\\Resources\\AppIcon.icns", 9, 9},
      {"Demo.app\\Contents\\Resources\\Linked.icns", 9, 9, true},
  };
  const ArchiveEntry* plist = FindAppInfoPlist(entries);
  ASSERT_EQ(plist, &entries[3]);
  EXPECT_EQ(FindAppIcon(entries, *plist, "Demo", std::nullopt), &entries[4]);
  EXPECT_EQ(FindAppIcon(entries, *plist, "Demo.icns", "Other"), &entries[4]);
  EXPECT_EQ(FindAppIcon(entries, *plist, std::nullopt, "AppIcon"), &entries[5]);
  EXPECT_EQ(FindAppIcon(entries, *plist, std::nullopt, std::nullopt), &entries[5]);
  EXPECT_EQ(FindAppIcon(entries, *plist, "Linked", std::nullopt), nullptr) << "a link";
  EXPECT_EQ(FindAppIcon(entries, *plist, "../../x", std::nullopt), nullptr);
  entries[3].symbolicLink = true;
  EXPECT_EQ(FindAppInfoPlist(entries), &entries[1]) << "a linked Info.plist never counts";
}

TEST(AppBundle, VolumeIconAtTheVolumesRootInAnyFolderName) {
  const std::vector<ArchiveEntry> hfs = {{"Demo Volume\\a\\.VolumeIcon.icns", 9, 9},
                                         {"Demo Volume\\.VolumeIcon.icns", 9, 9}};
  EXPECT_EQ(FindVolumeIcon(hfs), &hfs[1]);
  const std::vector<ArchiveEntry> fat = {{"V\\.VolumeIcon.icns", 9, 9}, {".VolumeIcon.icns", 9, 9}};
  EXPECT_EQ(FindVolumeIcon(fat), &fat[1]) << "the top one first";
  const std::vector<ArchiveEntry> linked = {{"V\\.VolumeIcon.icns", 9, 9, true}, {"\\.VolumeIcon.icns", 9, 9}};
  EXPECT_EQ(FindVolumeIcon(linked), nullptr);
}

// --- browser extensions ------------------------------------------------------

TEST(ExtensionManifest, IconsLargestFirstElseTheActionsIcon) {
  const struct {
    const char* manifest;
    std::vector<std::string> expected;
  } kCases[] = {
      {R"({"name":"x","icons":{"16":"i/16.png","128":"/i/128.png","48":"i/48.png"},"action":{"default_icon":"a.png"}})",
       {"i/128.png", "i/48.png", "i/16.png"}},
      {R"({"browser_action":{"default_icon":{"19":"b19.png","38":"b38.png"}}})", {"b38.png", "b19.png"}},
      {R"({"action":{"default_title":"t","default_icon":"a.svg"}})", {"a.svg"}},
      {R"({"icons":{"big":"x.png"}})", {}},
      {R"({"icons":{"16":"a.png"})", {}},  // cut short
  };
  for (const auto& c : kCases) EXPECT_EQ(ExtensionIconPaths(c.manifest), c.expected) << c.manifest;
  EXPECT_TRUE(IsCrxHeader(Bytes{'C', 'r', '2', '4', 3, 0, 0, 0}));
  EXPECT_FALSE(IsCrxHeader(Bytes{'P', 'K', 3, 4, 20, 0, 0, 0}));
}

}  // namespace
