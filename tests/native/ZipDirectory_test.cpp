#include "tools/ZipDirectory.h"

#include <gtest/gtest.h>
#include <zlib.h>

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

// An archive of whole entries, each (name, bytes) stored or raw-deflated
// by zlib, with its true CRC unless `badCrc`; a link entry is made on Unix
// with a link's mode.
struct Written {
  std::string name, text;
  bool deflated = false, badCrc = false, link = false;
};

Bytes ZipOf(const std::vector<Written>& entries) {
  Bytes out, directory;
  for (const Written& w : entries) {
    Bytes data(w.text.begin(), w.text.end());
    if (w.deflated) {
      z_stream z{};
      deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);  // -15: raw deflate
      data.resize(deflateBound(&z, w.text.size()));
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(w.text.data()));
      z.avail_in = uInt(w.text.size());
      z.next_out = data.data(), z.avail_out = uInt(data.size());
      deflate(&z, Z_FINISH);
      data.resize(z.total_out);
      deflateEnd(&z);
    }
    const std::uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(w.text.data()), uInt(w.text.size())) ^ w.badCrc;
    const std::size_t local = out.size();
    Put(out, 0x04034b50, 4), Put(out, 0, 4), Put(out, w.deflated ? 8 : 0, 2), Put(out, 0, 4), Put(out, crc, 4);
    Put(out, data.size(), 4), Put(out, w.text.size(), 4), Put(out, w.name.size(), 2), Put(out, 0, 2);
    out.insert(out.end(), w.name.begin(), w.name.end());
    out.insert(out.end(), data.begin(), data.end());
    Put(directory, 0x02014b50, 4), Put(directory, 0x0314, 2), Put(directory, 0, 4), Put(directory, w.deflated ? 8 : 0, 2);
    Put(directory, 0, 4), Put(directory, crc, 4), Put(directory, data.size(), 4), Put(directory, w.text.size(), 4);
    Put(directory, w.name.size(), 2), Put(directory, 0, 8), Put(directory, (w.link ? 0120777u : 0100644u) << 16, 4);
    Put(directory, local, 4);
    directory.insert(directory.end(), w.name.begin(), w.name.end());
  }
  const std::size_t offset = out.size();
  out.insert(out.end(), directory.begin(), directory.end());
  Put(out, 0x06054b50, 4), Put(out, 0, 4), Put(out, entries.size(), 2), Put(out, entries.size(), 2);
  Put(out, directory.size(), 4), Put(out, offset, 4), Put(out, 0, 2);
  return out;
}

TEST(ZipDirectory, EntriesReadInPlace) {
  const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg'>" + std::string(3000, ' ') + "</svg>";
  const Bytes zip = ZipOf({{"manifest.json", "{}"}, {"icon.svg", svg, true}, {"bad.png", "PNG", false, true},
                           {"link.png", "../x", false, false, true}});
  const auto entries = ReadZipDirectory(zip);
  ASSERT_TRUE(entries && entries->size() == 4);
  const auto text = [](const std::optional<Bytes>& b) { return b ? std::string(b->begin(), b->end()) : "(nothing)"; };
  EXPECT_EQ(text(ReadZipEntry(zip, (*entries)[0], 100)), "{}") << "stored";
  EXPECT_EQ(text(ReadZipEntry(zip, (*entries)[1], svg.size())), svg) << "deflated";
  EXPECT_EQ(text(ReadZipEntry(zip, (*entries)[1], svg.size() - 1)), "(nothing)") << "above maxBytes";
  EXPECT_EQ(text(ReadZipEntry(zip, (*entries)[2], 100)), "(nothing)") << "a CRC that does not match";
  EXPECT_TRUE((*entries)[3].symbolicLink && !(*entries)[0].symbolicLink);
  ZipDirectoryEntry lying = (*entries)[1];
  lying.size -= 1;  // inflates to one byte more than listed
  EXPECT_FALSE(ReadZipEntry(zip, lying, 1 << 20));
  lying = (*entries)[0];
  lying.localHeader = zip.size() - 10;
  EXPECT_FALSE(ReadZipEntry(zip, lying, 1 << 20));
}

}  // namespace
