#include "image/IconFile.h"
#include "pictures/ImageFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "image/CgbiPng.h"
#include "image/IcoDecode.h"
#include "image/PngDecode.h"
#include "tests/support/TestImages.h"

namespace {

Bytes PngEntryOf(const Bytes& single) { return Bytes(single.begin() + 22, single.end()); }

// The images of an icon file as stored, in its order.
std::vector<Bytes> ImagesOf(const Bytes& ico) {
  std::vector<Bytes> images;
  for (const IcoEntry& e : ListIcoEntries(ico)) images.emplace_back(e.data.begin(), e.data.end());
  return images;
}

// One character a pixel, rows top-down: '#' opaque, '.' transparent, '?' between.
std::string AlphaMap(const RgbaImage& image) {
  std::string map;
  for (std::size_t i = 3; i < image.pixels.size(); i += 4) map += image.pixels[i] == 255 ? '#' : image.pixels[i] == 0 ? '.' : '?';
  return map;
}

TEST(IconFileAsGroup, EveryImageTheLargestFirstThenTheDeeperThenTheEarlier) {
  const Bytes png48 = EncodeIcoPng(SolidImage(48, 48, 1, 2, 3, 255));
  const Bytes bmp16 = EncodeIcoBitmap(SolidImage(16, 16, 9, 9, 9, 255), 32);
  const Bytes red32x8 = EncodeIcoBitmap(SolidImage(32, 32, 255, 0, 0, 255), 8);
  const Bytes blue32x32 = EncodeIcoBitmap(TestPattern(32, 32), 32);
  const Bytes pngA = EncodeIcoPng(SolidImage(32, 32, 10, 0, 0, 255)), pngB = EncodeIcoPng(SolidImage(32, 32, 0, 10, 0, 255));

  EXPECT_EQ(ImagesOf(IconFileAsGroup(CombineIcons({bmp16, png48, red32x8}))),
            (std::vector<Bytes>{PngEntryOf(png48), PngEntryOf(bmp16), PngEntryOf(red32x8)}))
      << "every image as stored, the 48 x 48 PNG first";
  EXPECT_EQ(ImagesOf(IconFileAsGroup(CombineIcons({pngA, pngB})))[0], PngEntryOf(pngA)) << "a tie keeps the earlier";
  const RgbaImage deeper = DecodeIco(IconFileAsGroup(CombineIcons({red32x8, blue32x32})));
  EXPECT_EQ(deeper.pixels, TestPattern(32, 32).pixels) << "32 bits beat 8 at the same size, alpha kept";
  // 24 bits carry no alpha: the mask makes the pattern's alpha below 128
  // transparent ('.') and the rest opaque ('#').
  const RgbaImage masked = DecodeIco(IconFileAsGroup(CombineIcons({EncodeIcoBitmap(TestPattern(8, 8), 24)})));
  ASSERT_EQ(masked.width, 8);
  ASSERT_EQ(masked.height, 8);
  EXPECT_EQ(AlphaMap(masked),
            "......##"
            ".....###"
            "....####"
            "...####."
            "..####.."
            "..###..."
            ".###...."
            ".##.#...");
  EXPECT_EQ(PixelArgb(masked, 6, 0), 0xFFDA002Au) << "an opaque pixel keeps the pattern's colour";
}

TEST(IconFileAsGroup, DamagedFilesGiveNothing) {
  const Bytes good = CombineIcons({EncodeIcoBitmap(TestPattern(16, 16), 32)});
  Bytes outside = good;
  outside[18] = 0xFF;  // data offset far beyond the file
  Bytes noEntries = good;
  noEntries[4] = 0;
  for (const Bytes& bad : {outside, noEntries, Bytes(good.begin(), good.begin() + 60), Bytes{}, EncodePng(TestPattern(4, 4))}) {
    EXPECT_TRUE(IconFileAsGroup(bad).empty());
  }
}

// A crushed PNG taken in loose keeps its transparency: colours come out
// un-premultiplied, in true order; exact where opaque, within rounding where
// not, black where wholly transparent.
TEST(StandardPicture, CrushedPngsBecomeStandardWithTheirAlpha) {
  RgbaImage image = SolidImage(3, 1, 200, 100, 50, 255);
  const std::uint8_t alphas[] = {255, 128, 0};
  for (int x = 0; x < 3; ++x) image.pixels[x * 4 + 3] = alphas[x];
  const RgbaImage shown = DecodePng(StandardPicture(EncodeCgbi(image, 6, 1)));
  ASSERT_EQ(shown.width, 3);
  const std::uint8_t expected[3][4] = {{200, 100, 50, 255}, {200, 100, 50, 128}, {0, 0, 0, 0}};
  for (int x = 0; x < 3; ++x) {
    for (int c = 0; c < 4; ++c) EXPECT_LE(std::abs(shown.pixels[x * 4 + c] - expected[x][c]), 1) << x << "," << c;
  }
  const Bytes plain = EncodePng(TestPattern(4, 4));
  EXPECT_EQ(StandardPicture(plain), plain) << "anything else stays as it is";
}

}  // namespace
