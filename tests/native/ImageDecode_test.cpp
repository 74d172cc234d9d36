#include <gtest/gtest.h>

#include <tuple>

#include "image/IcoDecode.h"
#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "image/Resize.h"
#include "output/Compose.h"
#include "tests/support/TestImages.h"

namespace {

TEST(DecodePng, ReadsStraightAlphaAndRefusesDamage) {
  const RgbaImage image = TestPattern(9, 7);
  EXPECT_EQ(DecodePng(EncodePng(image)).pixels, image.pixels);
  Bytes png = EncodePng(image);
  png.resize(png.size() / 2);
  EXPECT_TRUE(DecodePng(png).empty());
  EXPECT_TRUE(DecodePng(Bytes{}).empty());
}

TEST(DecodePng, RefusesImagesAboveTheSizeLimitBeforeDecoding) {
  // A header claiming 5000 x 5000 with hardly any data behind it.
  Bytes png = EncodePng(SolidImage(1, 1, 1, 2, 3, 255));
  const std::size_t widthAt = 16;
  png[widthAt + 2] = 0x13;
  png[widthAt + 3] = 0x88;
  EXPECT_TRUE(DecodePng(png).empty());
}

// Alpha of 8-bit icon images comes from the AND mask; 32-bit ones carry it.
TEST(DecodeIco, BitmapsOfEveryDepthAndPngStreams) {
  RgbaImage twoColour = SolidImage(20, 11, 200, 30, 60, 255);
  for (int x = 0; x < 20; x += 3) {
    twoColour.pixels[(5 * 20 + x) * 4 + 0] = 10;
    twoColour.pixels[(5 * 20 + x) * 4 + 3] = 0;  // transparent in the mask
  }
  for (int bits : {1, 4, 8, 24}) {
    SCOPED_TRACE(bits);
    const RgbaImage decoded = DecodeIco(EncodeIcoBitmap(twoColour, bits));
    ASSERT_EQ(decoded.width, 20);
    ASSERT_EQ(decoded.height, 11);
    for (std::size_t i = 0; i < decoded.pixels.size(); i += 4) {
      const bool clear = twoColour.pixels[i + 3] == 0;
      EXPECT_EQ(decoded.pixels[i + 3], clear ? 0 : 255) << i;
      if (!clear) {
        EXPECT_EQ(decoded.pixels[i], twoColour.pixels[i]) << i;
      }
    }
  }
  const RgbaImage pattern = TestPattern(33, 17);
  EXPECT_EQ(DecodeIco(EncodeIcoBitmap(pattern, 32)).pixels, pattern.pixels);
  EXPECT_EQ(DecodeIco(EncodeIcoPng(pattern)).pixels, pattern.pixels);
}

TEST(DecodeIco, HostileHeadersGiveAnEmptyImage) {
  const Bytes good = EncodeIcoBitmap(TestPattern(16, 16), 32);
  Bytes offsetOutside = good;
  offsetOutside[18] = 0xFF;  // image offset far beyond the file
  EXPECT_TRUE(DecodeIco(offsetOutside).empty());
  Bytes hugeWidth = good;
  hugeWidth[22 + 6] = 0x7F;  // biWidth high byte
  EXPECT_TRUE(DecodeIco(hugeWidth).empty());
  Bytes negativeHeight = good;
  negativeHeight[22 + 11] = 0x80;
  EXPECT_TRUE(DecodeIco(negativeHeight).empty());
  // A file cut before its last pixel row fails cleanly (the sanitizers catch
  // an over-read).
  for (std::size_t cut = 0; cut < good.size(); cut += 97) {
    EXPECT_TRUE(DecodeIco(ByteSpan(good).first(cut)).empty()) << cut;
  }
  EXPECT_EQ(DecodeIco(good).width, 16);
  EXPECT_TRUE(DecodeIco(ByteSpan(good).first(22 + 40 + 10)).empty()) << "pixel rows missing";
}

TEST(SniffImageFormat, RecognisesTheLeadingBytes) {
  EXPECT_EQ(SniffImageFormat(EncodePng(TestPattern(1, 1))), ImageFormat::Png);
  EXPECT_EQ(SniffImageFormat(Bytes{0xFF, 0xD8, 0xFF}), ImageFormat::Jpeg);
  EXPECT_EQ(SniffImageFormat(Bytes{'B', 'M', 0, 0}), ImageFormat::Bmp);
  EXPECT_EQ(SniffImageFormat(Bytes{0, 0, 1, 0, 1, 0}), ImageFormat::Icon);
  EXPECT_EQ(SniffImageFormat(Bytes{0, 0, 2, 0, 1, 0}), ImageFormat::Icon);
  EXPECT_EQ(SniffImageFormat(Bytes{'G', 'I', 'F', '8', '9', 'a'}), ImageFormat::Gif);
  EXPECT_EQ(SniffImageFormat(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}), ImageFormat::Unknown);
  EXPECT_EQ(SniffImageFormat(Bytes{}), ImageFormat::Unknown);
}

TEST(ProbeImageSize, ReadsTheDeclaredSizeWithoutDecoding) {
  const ImageSize png = ProbeImageSize(EncodePng(TestPattern(37, 5)));
  EXPECT_EQ(png.width, 37u);
  EXPECT_EQ(png.height, 5u);
  // JPEG: SOI, an APP0 segment, then the frame header SOF0 (height 16, width 4100).
  const Bytes jpeg{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x4A, 0x46, 0xFF, 0xC0, 0x00, 0x11, 0x08,
                   0x00, 0x10, 0x10, 0x04, 0x03};
  EXPECT_EQ(ProbeImageSize(jpeg).width, 4100u);
  EXPECT_EQ(ProbeImageSize(jpeg).height, 16u);
  EXPECT_EQ(ProbeImageSize(ByteSpan(jpeg).first(12)).width, 0u) << "cut before the frame header";
  Bytes bmp{'B', 'M'};
  bmp.resize(26, 0);
  bmp[18] = 200;                                  // width 200
  bmp[22] = 0x9C; bmp[23] = bmp[24] = bmp[25] = 0xFF;  // height -100: rows top-down
  EXPECT_EQ(ProbeImageSize(bmp).width, 200u);
  EXPECT_EQ(ProbeImageSize(bmp).height, 100u);
  const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 0x34, 0x12, 0x02, 0x00};
  EXPECT_EQ(ProbeImageSize(gif).width, 0x1234u);
  EXPECT_EQ(ProbeImageSize(gif).height, 2u);
  EXPECT_EQ(ProbeImageSize(Bytes{'I', 'I', '*', 0}).width, 0u) << "other formats are not probed";
}

// A WebP container whose first chunk is `kind` with the given data.
Bytes Webp(const char* kind, Bytes data) {
  Bytes b{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
  b.insert(b.end(), kind, kind + 4);
  b.insert(b.end(), {static_cast<std::uint8_t>(data.size()), 0, 0, 0});
  b.insert(b.end(), data.begin(), data.end());
  b.resize(std::max<std::size_t>(b.size(), 30), 0);
  return b;
}

TEST(ProbeWebpSize, ReadsEveryFormOfTheCanvasSize) {
  const struct { const char* name; Bytes bytes; std::uint32_t width, height; } cases[] = {
      // Lossy: frame tag, start code, 14-bit width and height (top bits are scale).
      {"lossy", Webp("VP8 ", {0x10, 0x02, 0x00, 0x9D, 0x01, 0x2A, 0xC0, 0x40, 0x40, 0x00}), 0xC0, 0x40},
      // Lossless: signature, then width-1 and height-1 in 14 bits each.
      {"lossless 16383", Webp("VP8L", {0x2F, 0xFE, 0xBF, 0xFF, 0x0F}), 16383, 16383},
      {"lossless 5x3", Webp("VP8L", {0x2F, 0x04, 0x80, 0x00, 0x00}), 5, 3},
      // Extended: flags, reserved, then 24-bit width-1 and height-1.
      {"extended", Webp("VP8X", {0x10, 0, 0, 0, 0xFF, 0x0F, 0x00, 0x01, 0x00, 0x00}), 4096, 2},
      {"bad start code", Webp("VP8 ", {0x10, 0x02, 0x00, 0x9D, 0x01, 0x2B, 0xC0, 0x00, 0x40, 0x00}), 0, 0},
      {"bad signature", Webp("VP8L", {0x2E, 0x04, 0x80, 0x00, 0x00}), 0, 0},
      {"other chunk", Webp("ALPH", {1, 2, 3, 4, 5, 6}), 0, 0},
      {"cut short", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'L'}, 0, 0},
      {"not WebP", EncodePng(TestPattern(3, 3)), 0, 0},
  };
  for (const auto& c : cases) {
    const ImageSize size = ProbeWebpSize(c.bytes);
    EXPECT_EQ(size.width, c.width) << c.name;
    EXPECT_EQ(size.height, c.height) << c.name;
  }
}

TEST(IsPictureImage, OnlyImagesThePictureBoxDrawsWithinTheSizeLimit) {
  Bytes tooWide = EncodePng(SolidImage(1, 1, 1, 2, 3, 255));
  tooWide[18] = 0x13;  // width 0x1301 = 4865
  Bytes executable{'M', 'Z'};
  executable.resize(4096, 0x90);
  const Bytes bareIconHeader{0, 0, 1, 0, 1, 0};
  const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 0x10, 0x00, 0x10, 0x00};
  const struct { const char* name; Bytes bytes; bool shown; } cases[] = {
      {"png", EncodePng(TestPattern(4, 4)), true},
      {"icon", EncodeIcoBitmap(TestPattern(16, 16), 32), true},
      {"icon with a png", EncodeIcoPng(TestPattern(8, 8)), true},
      {"gif", gif, true},
      {"png above 4096", tooWide, false},
      {"executable", executable, false},
      {"bare icon header", bareIconHeader, false},
      {"webp", Webp("VP8L", {0x2F, 0x04, 0x80, 0x00, 0x00}), false},
      {"nothing", Bytes{}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPictureImage(c.bytes), c.shown) << c.name;
}

TEST(DescribePicture, SizeAndFormatOfWhatTheBoxShows) {
  // JPEG: SOI, then the frame header SOF0 (height 16, width 260).
  const Bytes jpeg{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0x00, 0x10, 0x01, 0x04, 0x03};
  Bytes bmp{'B', 'M'};
  bmp.resize(26, 0);
  bmp[18] = 200;
  bmp[22] = 100;
  Bytes tooWide = EncodePng(SolidImage(1, 1, 1, 2, 3, 255));
  tooWide[18] = 0x13;  // width 0x1301 = 4865
  const struct { const char* name; Bytes bytes; const char* text; } cases[] = {
      {"png", EncodePng(TestPattern(192, 192)), "192 \xC3\x97 192 PNG"},
      {"jpeg", jpeg, "260 \xC3\x97 16 JPEG"},
      {"bmp", bmp, "200 \xC3\x97 100 BMP"},
      {"gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 0x10, 0x00, 0x20, 0x00}, "16 \xC3\x97 32 GIF"},
      {"icon bitmap", EncodeIcoBitmap(TestPattern(48, 40), 32), "48 \xC3\x97 40 ICO"},
      // The first image is the one the box draws, not the largest.
      {"icon of two", CombineIcons({EncodeIcoPng(TestPattern(32, 32)), EncodeIcoPng(TestPattern(256, 256))}),
       "32 \xC3\x97 32 ICO"},
      {"icon pointing outside", Bytes{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 40, 0, 0, 0, 0xFF, 0, 0, 0}, ""},
      {"png above 4096", tooWide, ""},
      {"webp", Webp("VP8L", {0x2F, 0x04, 0x80, 0x00, 0x00}), ""},
      {"nothing", Bytes{}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DescribePicture(c.bytes), c.text) << c.name;
}

TEST(BlendChannel, TruncatesTheExactBlendAndKeepsOpaquePixels) {
  EXPECT_EQ(BlendChannel(200, 255, 0), 200);
  EXPECT_EQ(BlendChannel(200, 0, 17), 17);
  EXPECT_EQ(BlendChannel(255, 128, 0), 128);    // 255 * 128/255
  EXPECT_EQ(BlendChannel(0, 128, 255), 127);    // 255 * 127/255
  EXPECT_EQ(BlendChannel(100, 51, 240), 212);   // 20 + 192 = 212
  EXPECT_EQ(BlendChannel(1, 1, 0), 0);          // 1/255 truncates to 0
}

TEST(ComposeOverBackground, GivesOpaqueBgrxPixels) {
  RgbaImage image = SolidImage(2, 1, 255, 0, 0, 255);
  image.pixels[7] = 0;  // second pixel fully transparent
  const auto out = ComposeOverBackground(image, {1, 2, 3});
  EXPECT_EQ(out, (std::vector<std::uint8_t>{0, 0, 255, 255, 3, 2, 1, 255}));
}

}  // namespace

// Where the preview puts a picture, and how it is resized for it.
TEST(FitCentred, ProportionsKeptCentredInTheBox) {
  const struct { int w, h, boxW, boxH; FittedRect want; } cases[] = {
      {1000, 307, 182, 182, {0, 63, 182, 56}},  // a wide logo: full width, centred vertically
      {16, 16, 182, 182, {0, 0, 182, 182}},     // a small icon fills the box
      {100, 400, 200, 200, {75, 0, 50, 200}},
      {5000, 1, 100, 100, {0, 49, 100, 1}},      // never thinner than a pixel
      {0, 10, 100, 100, {}},
  };
  for (const auto& c : cases) {
    const FittedRect r = FitCentred(c.w, c.h, c.boxW, c.boxH);
    EXPECT_EQ(std::tie(r.x, r.y, r.width, r.height), std::tie(c.want.x, c.want.y, c.want.width, c.want.height))
        << c.w << "x" << c.h;
  }
}

TEST(ResizeImage, AveragesWhenShrinkingAndRepeatsWhenGrowing) {
  // 2 x 1: opaque red, transparent: shrunk to 1 x 1 the colour stays red
  // (transparent pixels carry no colour) at half coverage.
  RgbaImage two = SolidImage(2, 1, 255, 0, 0, 255);
  two.pixels[7] = 0;
  two.pixels[4] = 0, two.pixels[6] = 255;  // a transparent blue
  const RgbaImage one = ResizeImage(two, 1, 1);
  EXPECT_EQ(one.pixels, (std::vector<std::uint8_t>{255, 0, 0, 128}));
  const RgbaImage grown = ResizeImage(TestPattern(2, 2), 4, 4);
  EXPECT_EQ(PixelArgb(grown, 0, 0), PixelArgb(TestPattern(2, 2), 0, 0));
  EXPECT_EQ(PixelArgb(grown, 1, 1), PixelArgb(TestPattern(2, 2), 0, 0));
  EXPECT_EQ(PixelArgb(grown, 3, 2), PixelArgb(TestPattern(2, 2), 1, 1));
  EXPECT_TRUE(ResizeImage(two, 0, 5).empty());
}
