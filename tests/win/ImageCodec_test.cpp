#include "image/ImageCodec_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "image/CgbiPng.h"
#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "image/PngNormalize_win.h"
#include "tests/support/TestImages.h"

namespace {

bool StartsWith(const Bytes& bytes, const char* magic) {
  return bytes.size() >= std::strlen(magic) && std::memcmp(bytes.data(), magic, std::strlen(magic)) == 0;
}

TEST(ImageCodec, DecodesAndEncodesByFormatIndex) {
  ImageCodec codec;
  EXPECT_FALSE(codec.loadFromBytes(Bytes{0x89, 'P', 'N', 'G'})) << "four bytes never decode";
  EXPECT_FALSE(codec.loadFromBytes(Bytes{1, 2, 3, 4, 5}));
  EXPECT_TRUE(codec.encodeToBytes(5, 0, true).empty()) << "nothing loaded";

  ASSERT_TRUE(codec.loadFromBytes(EncodePng(SolidImage(8, 8, 255, 0, 0, 255))));
  const Bytes jpeg = codec.encodeToBytes(2, 90, true);
  EXPECT_TRUE(StartsWith(jpeg, "\xFF\xD8"));
  EXPECT_TRUE(StartsWith(codec.encodeToBytes(7, 0, true), "BM"));
  ASSERT_TRUE(codec.loadFromBytes(jpeg));
  EXPECT_TRUE(IsStandardPngStart(codec.encodeToBytes(5, 0, true)));
}

TEST(ImageCodecEx, DecodesToStraightRgba) {
  ImageCodecEx codec;
  EXPECT_FALSE(codec.createFromBytes(Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(codec.width(), 0u);
  EXPECT_TRUE(codec.toRgba().empty());

  ASSERT_TRUE(codec.createFromBytes(EncodePng(SolidImage(3, 2, 0x10, 0x20, 0x30, 0x80))));
  EXPECT_EQ(codec.width(), 3u);
  EXPECT_EQ(codec.height(), 2u);
  const RgbaImage decoded = codec.toRgba();
  ASSERT_EQ(decoded.width, 3);
  ASSERT_EQ(decoded.height, 2);
  EXPECT_EQ(PixelArgb(decoded, 1, 1), 0x80102030u) << "red first, alpha not premultiplied";
}

// The codec's way for crushed data the PNG reader refuses: re-encoded, then
// red and blue exchanged and the premultiplication undone. Here 8-bit grey: the bytes of a crushed 8 x 4 RGBA image of colour (200, 100, 50)
// read as 32 grey pixels a row, so each row is 50, 100, 200, 255 over again.
TEST(PngNormalisation, CrushedLayoutsTheOnePassLeavesGoThroughTheCodec) {
  Bytes grey = EncodeCgbi(SolidImage(8, 4, 200, 100, 50, 255), 6, 0);
  const std::size_t header = 8 + 12 + 4 + 8;  // IHDR's data, right after the CgBI chunk
  grey[header + 3] = 32;                      // width
  grey[header + 9] = 0;                       // colour type: grey
  const RgbaImage shown = DecodePng(CrushedPixelsToPng(ReencodeImage(grey, 5, 0)));
  ASSERT_EQ(shown.width, 32);
  ASSERT_EQ(shown.height, 4);
  const std::uint32_t row[] = {0xFF323232, 0xFF646464, 0xFFC8C8C8, 0xFFFFFFFF};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(PixelArgb(shown, x, y), row[x % 4]) << x << "," << y;
  }
}

TEST(PngNormalisation, OtherFormatsUnderAPngNameKeepTheirColours) {
  ImageCodec codec;
  ASSERT_TRUE(codec.loadFromBytes(EncodePng(SolidImage(4, 4, 255, 0, 0, 255))));
  const Bytes bmp = codec.encodeToBytes(7, 0, true);
  const Bytes jpeg = codec.encodeToBytes(2, 100, true);
  // One red pixel, palette {red, black}: GIF89a written by hand.
  const Bytes gif{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
                  0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B};
  for (const Bytes* other : {&bmp, &jpeg, &gif}) {
    SCOPED_TRACE(other == &bmp ? "BMP" : other == &jpeg ? "JPEG" : "GIF");
    const RgbaImage decoded = DecodePng(ReencodeImage(*other, 5, 0));
    ASSERT_FALSE(decoded.empty());
    EXPECT_GE(decoded.pixels[0], 240);  // red stays red (JPEG is lossy)
    EXPECT_LE(decoded.pixels[2], 15);
  }
  EXPECT_TRUE(ReencodeImage(Bytes{}, 5, 0).empty());
  EXPECT_TRUE(ReencodeImage(Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}, 5, 0).empty());
}

// The size a header declares is checked before GDI+ sees the data: GDI+
// allocates for the whole image when it decodes.
TEST(DecodeWithCodec, RefusesOversizedImagesBeforeDecoding) {
  ImageCodec codec;
  EXPECT_FALSE(codec.loadFromBytes(EncodePng(SolidImage(4097, 1, 1, 2, 3, 255))));
  ASSERT_TRUE(codec.loadFromBytes(EncodePng(SolidImage(4, 4, 1, 2, 3, 255))));
  Bytes bmp = codec.encodeToBytes(7, 0, true);
  ASSERT_GE(bmp.size(), 26u);
  EXPECT_FALSE(DecodeWithCodec(bmp).empty());
  bmp[18] = 0x60; bmp[19] = 0xEA;  // width 60000, with 16 pixels of data behind it
  bmp[22] = 0x60; bmp[23] = 0xEA;
  EXPECT_TRUE(DecodeWithCodec(bmp).empty());
  ImageCodecEx ex;
  EXPECT_FALSE(ex.createFromBytes(bmp));
  const Bytes tiffHeader{'I', 'I', '*', 0, 8, 0, 0, 0, 0, 0};
  EXPECT_FALSE(ex.createFromBytes(tiffHeader)) << "formats whose size is not checked are not decoded";
}

}  // namespace
