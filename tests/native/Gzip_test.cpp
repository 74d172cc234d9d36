#include "support/Gzip.h"

#include <gtest/gtest.h>

#include <string>

#include <zlib.h>

namespace {

// gzip of "<svg/>" (Python's gzip.compress with mtime 0).
const Bytes kSvgGz = {0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x03, 0xb3, 0x29, 0x2e,
                      0x4b, 0xd7, 0xb7, 0x03, 0x00, 0x49, 0xfb, 0xb9, 0xac, 0x06, 0x00, 0x00, 0x00};

std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

// size zero bytes gzipped by zlib itself: a few kilobytes that inflate to size.
Bytes GzippedZeros(std::size_t size) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY), Z_OK);
  const Bytes zeros(size);
  Bytes out(deflateBound(&stream, static_cast<uLong>(size)));
  stream.next_in = const_cast<Bytef*>(zeros.data());
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

TEST(Gzip, InflatesWithinTheCap) {
  EXPECT_EQ(Text(InflateGzip(kSvgGz, 1 << 20)), "<svg/>");
  EXPECT_EQ(Text(InflateGzip(kSvgGz, 6)), "<svg/>");  // exactly the cap
  EXPECT_TRUE(InflateGzip(kSvgGz, 5).empty());
  // Past the first output block, grown up to the cap.
  EXPECT_EQ(InflateGzip(GzippedZeros(300000), 300000), Bytes(300000));
}

TEST(Gzip, RefusesDamageAndBombs) {
  EXPECT_TRUE(InflateGzip(Bytes(kSvgGz.begin(), kSvgGz.end() - 4), 1 << 20).empty());  // cut short
  Bytes badCrc = kSvgGz;
  badCrc[18] ^= 1;
  EXPECT_TRUE(InflateGzip(badCrc, 1 << 20).empty());
  Bytes notGzip = kSvgGz;
  notGzip[1] = 0x8c;
  EXPECT_TRUE(InflateGzip(notGzip, 1 << 20).empty());
  const std::string svg = "<svg/>";
  EXPECT_TRUE(InflateGzip(Bytes(svg.begin(), svg.end()), 1 << 20).empty());
  EXPECT_TRUE(InflateGzip({}, 1 << 20).empty());

  const Bytes bomb = GzippedZeros(10 << 20);
  ASSERT_LT(bomb.size(), 20000u);
  EXPECT_TRUE(InflateGzip(bomb, 1 << 20).empty());
}

}  // namespace
