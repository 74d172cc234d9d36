#include "support/CgbiPng.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "extract/PngCheck.h"
#include "output/PngDecode.h"
#include "tests/support/TestImages.h"

namespace {

// What a standard decoder shows of a normalised crushed PNG: the stored
// channel bytes in their stored order, alpha 255 for colour type 2.
Bytes ShownBytes(const RgbaImage& decoded, int colourType) {
  Bytes out;
  for (std::size_t i = 0; i < decoded.pixels.size(); i += 4) {
    out.insert(out.end(), decoded.pixels.begin() + static_cast<std::ptrdiff_t>(i),
               decoded.pixels.begin() + static_cast<std::ptrdiff_t>(i + (colourType == 6 ? 4 : 3)));
  }
  return out;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(CgbiPng, RecognisesOnlyACgbiFirstChunk) {
  const RgbaImage image = TestPattern(5, 4);
  EXPECT_TRUE(IsCgbiPng(EncodeCgbi(image, 6, 0)));
  EXPECT_FALSE(IsCgbiPng(EncodePng(image)));
  EXPECT_FALSE(IsCgbiPng(Bytes{}));
  EXPECT_TRUE(NormalizeCgbiPng(EncodePng(image)).empty()) << "a standard PNG is not crushed";
}

// Every row filter, both colour types, IDAT split into small pieces: the
// normalised file decodes to exactly the stored bytes.
TEST(CgbiPng, NormalisedFileKeepsTheStoredBytesForEveryFilter) {
  const RgbaImage image = TestPattern(37, 23);
  for (int colourType : {2, 6}) {
    for (int filter = 0; filter <= 4; ++filter) {
      SCOPED_TRACE("colour type " + std::to_string(colourType) + ", filter " + std::to_string(filter));
      const Bytes normal = NormalizeCgbiPng(EncodeCgbi(image, colourType, filter, 97));
      ASSERT_FALSE(normal.empty());
      EXPECT_EQ(CheckPngHeader(normal), "png");
      const RgbaImage decoded = DecodePng(normal);
      ASSERT_EQ(decoded.width, 37);
      ASSERT_EQ(decoded.height, 23);
      EXPECT_EQ(ShownBytes(decoded, colourType), CrushedPixelBytes(image, colourType));
    }
  }
}

TEST(CgbiPng, RealCrushedIconFromAnIosBuild) {
  const Bytes crushed = ReadFile(std::string(TESSAROO_NPM_DIR) + "/cgbi-to-png@1.0.7/test/cgbi-image.png");
  ASSERT_FALSE(crushed.empty());
  ASSERT_TRUE(IsCgbiPng(crushed));
  EXPECT_TRUE(DecodePng(crushed).empty()) << "a standard decoder rejects the crushed form";
  const RgbaImage decoded = DecodePng(NormalizeCgbiPng(crushed));
  ASSERT_EQ(decoded.width, 180);
  ASSERT_EQ(decoded.height, 180);
  // Premultiplied data never has a channel above its alpha.
  for (std::size_t i = 0; i < decoded.pixels.size(); i += 4) {
    const std::uint8_t a = decoded.pixels[i + 3];
    ASSERT_TRUE(decoded.pixels[i] <= a && decoded.pixels[i + 1] <= a && decoded.pixels[i + 2] <= a) << i;
  }
}

TEST(CgbiPng, DamagedOrOversizedDataGivesEmptyBytes) {
  const Bytes good = EncodeCgbi(TestPattern(16, 16), 6, 4);
  for (std::size_t cut : {good.size() - 12, good.size() / 2, std::size_t{40}, std::size_t{17}}) {
    const Bytes cutShort(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    // Either refused, or (when only IEND is lost) still the same pixels.
    const Bytes normal = NormalizeCgbiPng(cutShort);
    if (!normal.empty()) {
      EXPECT_EQ(DecodePng(normal).pixels, DecodePng(NormalizeCgbiPng(good)).pixels);
    }
  }
  Bytes hugeHeader = good;
  // IHDR width (right after the CgBI chunk) set to 100000.
  const std::size_t widthAt = 8 + 12 + 4 + 8;
  hugeHeader[widthAt + 1] = 0x01;
  hugeHeader[widthAt + 2] = 0x86;
  hugeHeader[widthAt + 3] = 0xA0;
  EXPECT_TRUE(NormalizeCgbiPng(hugeHeader).empty());

  Bytes lyingLength = good;
  const std::size_t idatAt = 8 + (12 + 4) + (12 + 13);  // after the signature, CgBI and IHDR
  ASSERT_EQ(std::string(lyingLength.begin() + idatAt + 4, lyingLength.begin() + idatAt + 8), "IDAT");
  lyingLength[idatAt] = 0x7F;  // its length far beyond the file
  EXPECT_TRUE(NormalizeCgbiPng(lyingLength).empty());

  Bytes garbage = good;
  for (std::size_t i = 60; i < garbage.size() - 12; ++i) garbage[i] ^= 0x5A;
  EXPECT_TRUE(NormalizeCgbiPng(garbage).empty());
}

TEST(CheckPngHeader, OnlyTheStandardSixteenBytesPass) {
  const Bytes png = EncodePng(TestPattern(2, 2));
  EXPECT_EQ(CheckPngHeader(png), "png");
  EXPECT_EQ(CheckPngHeader(ByteSpan(png).first(16)), "png");
  EXPECT_EQ(CheckPngHeader(ByteSpan(png).first(15)), "");
  EXPECT_EQ(CheckPngHeader(Bytes{}), "");
  EXPECT_EQ(CheckPngHeader(EncodeCgbi(TestPattern(2, 2), 6, 0)), "");
  EXPECT_EQ(BytesToHex(Bytes{0x00, 0x9F, 0xA0, 0xFF}), "009FA0FF");
}

}  // namespace
