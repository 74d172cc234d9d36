// The JPEG 2000 decoder on codestreams and JP2 files made by Debian's
// opj_compress: the fuzz target's seeds (tests/fuzz/make_seeds.py), whose
// first pixel each component's samples start with.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "image/Jpeg2000.h"

namespace {

Bytes Seed(const std::string& name) {
  std::ifstream in(std::string(TESSAROO_FUZZ_SEEDS) + "/jpeg2000/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(Jpeg2000, EveryComponentLayoutAsRgba) {
  struct Case {
    const char* seed;
    std::uint8_t rgba[4];
  };
  const Case cases[] = {
      {"grey.j2k", {0x30, 0x30, 0x30, 0xFF}},        // grey into red, green, blue; opaque
      {"grey-alpha.jp2", {0x40, 0x40, 0x40, 0x80}},  // the second of two is alpha
      {"rgb16.j2k", {0xFF, 0x80, 0x00, 0xFF}},       // 0xFFFF, 0x8000, 0 of 16 bits
      {"rgba.jp2", {10, 20, 30, 40}},                // the fourth of four is alpha
      {"signed.j2k", {0x40, 0x40, 0x40, 0xFF}},      // -64 of -128..127
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    const RgbaImage image = DecodeJpeg2000(Seed(c.seed));
    ASSERT_EQ(image.width, 8);
    ASSERT_EQ(image.height, 8);
    EXPECT_EQ(Bytes(image.pixels.begin(), image.pixels.begin() + 4), Bytes(std::begin(c.rgba), std::end(c.rgba)));
  }
}

TEST(Jpeg2000, RefusedWithoutCrashOrHugeAllocation) {
  // The probe tells the size a header claims; the decoder refuses it.
  EXPECT_EQ(ProbeJpeg2000Size(Seed("huge.j2k")).width, 60000u);
  const Bytes rgba = Seed("rgba.jp2");
  const Bytes cases[] = {
      Seed("huge.j2k"), Seed("fine-tiles.j2k"), Seed("subsampled.j2k"), Seed("lying-box.jp2"),
      Bytes(rgba.begin(), rgba.end() - 40),  // the codestream cut short
      Bytes(rgba.begin(), rgba.begin() + 90),  // no codestream box at all
  };
  for (const Bytes& c : cases) {
    // At once: handed to OpenJPEG, the million tiles alone take seconds and
    // gigabytes before anything is decoded.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(DecodeJpeg2000(c).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  }
}

}  // namespace
