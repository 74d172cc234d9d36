#include "support/ByteReader.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(ByteReader, ReadsAtAnOffsetInEitherOrderAndZeroPastTheEnd) {
  const Bytes bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};
  ByteReader r(bytes);
  EXPECT_EQ(r.u16leAt(1), 0x0302u);
  EXPECT_EQ(r.u16beAt(1), 0x0203u);
  EXPECT_EQ(r.u32leAt(5), 0x09080706u);
  EXPECT_EQ(r.u32beAt(0), 0x01020304u);
  EXPECT_EQ(r.u64leAt(1), 0x0908070605040302u);
  EXPECT_EQ(r.u64beAt(0), 0x0102030405060708u);
  EXPECT_EQ(r.uintAt(6, 3, ByteOrder::Big), 0x070809u);
  EXPECT_EQ(r.textAt(2, 2), "\x03\x04");
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.u32leAt(6), 0u) << "one byte short";
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.u8At(8), 9u) << "answers in range after a failure";
  EXPECT_EQ(r.u16beAt(SIZE_MAX), 0u);
  EXPECT_TRUE(r.bytesAt(4, SIZE_MAX).empty());
  EXPECT_FALSE(r.ok()) << "stays cleared";
}

TEST(SizeChecks, AtTheLimitAndOnePast) {
  EXPECT_TRUE(AddSizesValid(5, 12, 17));
  EXPECT_FALSE(AddSizesValid(5, 13, 17));
  EXPECT_FALSE(AddSizesValid(SIZE_MAX, 1));
  EXPECT_TRUE(MulSizesValid(3, 5, 15));
  EXPECT_FALSE(MulSizesValid(4, 4, 15));
  EXPECT_FALSE(MulSizesValid(UINT64_MAX, 2, UINT64_MAX)) << "would wrap to a small number";
  EXPECT_TRUE(MulSizesValid(UINT64_MAX, 0));
  EXPECT_TRUE(MadSizesValid(3, 4, 5, 17));
  EXPECT_FALSE(MadSizesValid(3, 4, 6, 17));
  EXPECT_FALSE(MadSizesValid(1, 1, 18, 17));
  EXPECT_FALSE(MadSizesValid(1ull << 32, 1ull << 32, 0, UINT64_MAX));
}

}  // namespace
