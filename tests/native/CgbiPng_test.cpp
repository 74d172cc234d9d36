#include "image/CgbiPng.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <fstream>
#include <iterator>

#include "image/ImageFormat.h"
#include "image/PngDecode.h"
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

// The largest single allocation made while a test watches, seen through the
// address sanitizer's allocator hooks (the native build always has them).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*)) __attribute__((weak));
std::atomic<bool> gWatching{false};
std::atomic<std::size_t> gLargest{0};

std::size_t LargestAllocation(const std::function<void()>& run) {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks &&
                                __sanitizer_install_malloc_and_free_hooks(
                                    [](const volatile void*, std::size_t size) {
                                      if (gWatching && size > gLargest) gLargest = size;
                                    },
                                    [](const volatile void*) {});
  if (!installed) return SIZE_MAX;
  gLargest = 0;
  gWatching = true;
  run();
  gWatching = false;
  return gLargest;
}

// Sets the IHDR fields of a crushed test file (the chunk right after CgBI).
Bytes WithHeader(Bytes crushed, std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colourType) {
  const std::size_t at = 8 + 12 + 4 + 8;
  for (int i = 0; i < 4; ++i) {
    crushed[at + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
    crushed[at + 4 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
  }
  crushed[at + 8] = bitDepth;
  crushed[at + 9] = colourType;
  return crushed;
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

// Every row filter, both colour types, IDAT split into small pieces. The
// normalised file decodes to exactly the stored bytes.
TEST(CgbiPng, EveryFilterAndColourType) {
  const RgbaImage image = TestPattern(37, 23);
  const struct { int colourType, filter; } kLayouts[] = {
      {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {6, 0}, {6, 1}, {6, 2}, {6, 3}, {6, 4},
  };
  for (const auto& layout : kLayouts) {
    SCOPED_TRACE("colour type " + std::to_string(layout.colourType) + ", filter " + std::to_string(layout.filter));
    const Bytes crushed = EncodeCgbi(image, layout.colourType, layout.filter, 97);
    const Bytes stored = CrushedPixelBytes(image, layout.colourType);

    const Bytes normal = NormalizeCgbiPng(crushed);
    ASSERT_TRUE(IsStandardPngStart(normal));
    const RgbaImage decoded = DecodePng(normal);
    ASSERT_EQ(decoded.width, 37);
    ASSERT_EQ(decoded.height, 23);
    EXPECT_EQ(ShownBytes(decoded, layout.colourType), stored);
  }
}

TEST(CgbiToPng, UndoesThePremultiplication) {
  // Red 200, green 100, blue 50 at alpha 128 is stored premultiplied (as
  // 100, 50, 25) and shown as 100 * 255 / 128 = 199 (rounded), 100, 50.
  const RgbaImage solid = DecodePng(CgbiToPng(EncodeCgbi(SolidImage(3, 2, 200, 100, 50, 128), 6, 4)));
  ASSERT_EQ(solid.pixels.size(), 24u);
  EXPECT_EQ(Bytes(solid.pixels.begin(), solid.pixels.begin() + 4), (Bytes{199, 100, 50, 128}));
  // Without alpha only red and blue change places.
  const RgbaImage opaque = DecodePng(CgbiToPng(EncodeCgbi(SolidImage(3, 2, 200, 100, 50, 255), 2, 3)));
  ASSERT_EQ(opaque.pixels.size(), 24u);
  EXPECT_EQ(PixelArgb(opaque, 2, 1), 0xFFC86432u);
}

// 16-bit or greyscale crushed data is well formed too.
TEST(CgbiPng, OtherLayoutsAreRewrittenToo) {
  // Rows of 32 zero bytes: read with the wrong layout they would still pass.
  const Bytes rgba = EncodeCgbi(SolidImage(8, 4, 0, 0, 0, 0), 6, 0);
  const struct { std::uint32_t width; std::uint8_t bitDepth, colourType; } kLayouts[] = {
      {4, 16, 6},   // 16-bit RGBA
      {32, 8, 0},   // 8-bit grey
      {16, 16, 0},  // 16-bit grey
  };
  for (const auto& layout : kLayouts) {
    const Bytes other = WithHeader(rgba, layout.width, 4, layout.bitDepth, layout.colourType);
    EXPECT_FALSE(NormalizeCgbiPng(other).empty()) << layout.width;
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
  // As the program shows it; the stored B, G, R, A of these pixels, read by
  // hand from the file: (0, 0) 0, 0, 0, 0; (90, 90) 102, 153, 153, 255;
  // (20, 90) 78, 118, 195, 255.
  const RgbaImage withAlpha = DecodePng(CgbiToPng(crushed));
  ASSERT_EQ(withAlpha.width, 180);
  ASSERT_EQ(withAlpha.height, 180);
  EXPECT_EQ(PixelArgb(withAlpha, 0, 0), 0x00000000u) << "the corner stays transparent";
  EXPECT_EQ(PixelArgb(withAlpha, 90, 90), 0xFF999966u);
  EXPECT_EQ(PixelArgb(withAlpha, 20, 90), 0xFFC3764Eu);
}

// Layouts beyond 8-bit RGB(A) are read too. Here 8-bit grey: the bytes of a crushed 8 x 4 RGBA image of colour (200, 100, 50) read
// as 32 grey pixels a row, so each row is 50, 100, 200, 255 over again.
TEST(CgbiToPng, ReadsGreyLayoutsToo) {
  const Bytes grey = WithHeader(EncodeCgbi(SolidImage(8, 4, 200, 100, 50, 255), 6, 0), 32, 4, 8, 0);
  const RgbaImage shown = DecodePng(CgbiToPng(grey));
  ASSERT_EQ(shown.width, 32);
  ASSERT_EQ(shown.height, 4);
  const std::uint32_t row[] = {0xFF323232, 0xFF646464, 0xFFC8C8C8, 0xFFFFFFFF};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(PixelArgb(shown, x, 3), row[x]) << x;
  EXPECT_TRUE(CgbiToPng(EncodePng(TestPattern(4, 4))).empty()) << "a standard PNG is not crushed";
}

// What the system codec hands back for a crushed file: a standard PNG still
// holding the stored channels. Stored blue 100, green 50, red 25 at alpha
// 128 show as red 25 * 255 / 128 = 50, green 100, blue 199 (rounded).
TEST(CrushedPixelsToPng, ExchangesRedAndBlueAndUndoesThePremultiplication) {
  const RgbaImage shown = DecodePng(CrushedPixelsToPng(EncodePng(SolidImage(1, 1, 100, 50, 25, 128))));
  ASSERT_EQ(shown.width, 1);
  EXPECT_EQ(PixelArgb(shown, 0, 0), 0x803264C7u);
  EXPECT_TRUE(CrushedPixelsToPng(Bytes{}).empty());
}

TEST(CgbiPng, DamagedOrOversizedDataGivesEmptyBytes) {
  const Bytes good = EncodeCgbi(TestPattern(16, 16), 6, 4);
  // Losing only IEND keeps the pixels; a cut into IDAT or IHDR refuses.
  const struct { std::size_t cut; bool kept; } kCuts[] = {
      {good.size() - 12, true}, {good.size() / 2, false}, {40, false}, {17, false}};
  for (const auto& c : kCuts) {
    SCOPED_TRACE(c.cut);
    const Bytes cutShort(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c.cut));
    const Bytes normal = NormalizeCgbiPng(cutShort);
    EXPECT_EQ(normal.empty(), !c.kept);
    EXPECT_EQ(CgbiToPng(cutShort).empty(), !c.kept);
    if (c.kept) {
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

// A few bytes of data can hold no more than 1032 times their size: a header
// declaring far more is refused before anything is allocated for the image,
// while an honest all-transparent icon (1028:1) still passes, and is shown
// without ever holding its pixels whole.
TEST(CgbiPng, ShortDataForAHugeImageIsRefusedWithoutAllocatingForIt) {
  const Bytes tiny = EncodeCgbi(SolidImage(16, 16, 0, 0, 0, 0), 6, 0);
  const Bytes huge = WithHeader(tiny, 4096, 4096, 16, 6);  // 134 MB of image data declared
  ASSERT_LT(huge.size(), 100u);
  std::size_t largest = LargestAllocation([&] {
    EXPECT_TRUE(NormalizeCgbiPng(huge).empty());
    EXPECT_TRUE(CgbiToPng(huge).empty());
  });
  if (largest == SIZE_MAX) GTEST_SKIP() << "no allocator hooks without the address sanitizer";
  EXPECT_LT(largest, 1u << 20);

  const Bytes honest = EncodeCgbi(SolidImage(1024, 1024, 0, 0, 0, 0), 6, 0);
  ASSERT_LT(honest.size(), 4200u);
  largest = LargestAllocation([&] {
    EXPECT_FALSE(NormalizeCgbiPng(honest).empty());
    EXPECT_FALSE(CgbiToPng(honest).empty());
  });
  EXPECT_LT(largest, 1u << 20) << "4 MB of image data passed through in blocks and rows";
}

TEST(IsStandardPngStart, OnlyTheStandardSixteenBytesPass) {
  const Bytes png = EncodePng(TestPattern(2, 2));
  EXPECT_TRUE(IsStandardPngStart(png));
  EXPECT_TRUE(IsStandardPngStart(ByteSpan(png).first(16)));
  EXPECT_FALSE(IsStandardPngStart(ByteSpan(png).first(15)));
  EXPECT_FALSE(IsStandardPngStart(Bytes{}));
  EXPECT_FALSE(IsStandardPngStart(EncodeCgbi(TestPattern(2, 2), 6, 0)));
}

}  // namespace
