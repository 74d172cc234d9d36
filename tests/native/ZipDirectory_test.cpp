#include "tools/ZipDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A number in size bytes, little-endian; one that does not fit is a fault of
// the test, never cut to fit.
void Put(Bytes& out, std::uint64_t v, int size) {
  EXPECT_TRUE(size >= 8 || v >> (8 * size) == 0) << v << " in " << size << " bytes";
  for (int i = 0; i < size; ++i) out.push_back(i < 8 ? std::uint8_t(v >> (8 * i)) : 0);
}

// A ZIP's directory of entries (name, uncompressed size claimed), each
// compressed to one byte, with a comment after the end record; zip64 writes
// the sizes, count and offset in ZIP64 form.
Bytes Zip(const std::vector<std::pair<std::string, std::uint64_t>>& entries, bool zip64 = false) {
  Bytes out = {'d', 'a', 't', 'a'}, directory;
  for (const auto& [name, size] : entries) {
    Put(directory, 0x02014b50, 4);
    Put(directory, 0, 16);
    Put(directory, zip64 ? 0xFFFFFFFF : 1, 4);  // compressed
    Put(directory, zip64 ? 0xFFFFFFFF : size, 4);  // uncompressed
    Put(directory, name.size(), 2);
    Put(directory, zip64 ? 20 : 0, 2);  // extra
    Put(directory, 0, 14);  // comment length, disk, attributes, local header offset
    directory.insert(directory.end(), name.begin(), name.end());
    if (zip64) {
      Put(directory, 0x0001, 2), Put(directory, 16, 2), Put(directory, size, 8), Put(directory, 1, 8);
    }
  }
  const std::size_t offset = out.size();
  out.insert(out.end(), directory.begin(), directory.end());
  if (zip64) {
    const std::size_t record = out.size();
    Put(out, 0x06064b50, 4), Put(out, 44, 8), Put(out, 0, 12), Put(out, entries.size(), 8), Put(out, entries.size(), 8),
        Put(out, directory.size(), 8), Put(out, offset, 8);
    Put(out, 0x07064b50, 4), Put(out, 0, 4), Put(out, record, 8), Put(out, 1, 4);
  }
  Put(out, 0x06054b50, 4), Put(out, 0, 4);
  Put(out, zip64 ? 0xFFFF : entries.size(), 2), Put(out, zip64 ? 0xFFFF : entries.size(), 2);
  Put(out, zip64 ? 0xFFFFFFFF : directory.size(), 4), Put(out, zip64 ? 0xFFFFFFFF : offset, 4);
  Put(out, 5, 2);
  for (char c : std::string("PK\x05\x06!")) out.push_back(std::uint8_t(c));  // a comment that looks like a record
  return out;
}

TEST(ZipDirectory, SizesOfNamedEntries) {
  for (bool zip64 : {false, true}) {
    // A plain directory holds sizes below 4 GiB; only ZIP64 goes beyond.
    const Bytes zip = Zip({{"res/a.png", 172}, {"res/big.png", zip64 ? 5000000000 : 4000000000},
                           {"res/a.png", 9}, {"AndroidManifest.xml", 40}}, zip64);
    EXPECT_EQ(ZipEntrySize(zip, "res/a.png"), 172u) << "the first of a name stored twice";
    EXPECT_EQ(ZipEntrySize(zip, "res/big.png"), zip64 ? 5000000000u : 4000000000u);
    EXPECT_EQ(ZipEntrySize(zip, "res/missing.png"), std::nullopt);
    ASSERT_TRUE(ReadZipDirectory(zip));
    EXPECT_EQ(ReadZipDirectory(zip)->size(), 4u);
  }
}

// One entry written out by hand: "data", the directory entry of "a.png"
// (7 bytes deflated to 3) at offset 4, the end record at 55, then a comment
// that looks like a record.
constexpr std::uint8_t kOneEntry[] = {
    'd', 'a', 't', 'a',
    0x50, 0x4B, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // signature .. CRC
    3, 0, 0, 0, 7, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // sizes, name length 5
    'a', '.', 'p', 'n', 'g',
    0x50, 0x4B, 0x05, 0x06, 0, 0, 0, 0, 1, 0, 1, 0, 51, 0, 0, 0, 4, 0, 0, 0, 5, 0,  // 1 entry, 51 bytes at 4
    'P', 'K', 0x05, 0x06, '!'};

TEST(ZipDirectory, DamageGivesNothing) {
  const Bytes good(std::begin(kOneEntry), std::end(kOneEntry));
  ASSERT_EQ(good.size(), 82u);
  ASSERT_EQ(ZipEntrySize(good, "a.png"), 7u);
  const Bytes cut(good.begin(), good.begin() + 72);
  Bytes lyingCount = good;
  lyingCount[65] = 0x40;  // 64 entries in a directory of one
  Bytes lyingOffset = good;
  lyingOffset[74] = 0x7F;  // the directory beyond the file
  for (const Bytes& zip : {cut, lyingCount, lyingOffset, Bytes(100, 0)}) EXPECT_FALSE(ReadZipDirectory(zip));
}

}  // namespace
