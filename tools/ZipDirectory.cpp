#include "tools/ZipDirectory.h"

#include "support/ByteReader.h"
#include "support/Gzip.h"

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50, kZip64EndSignature = 0x06064b50, kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50, kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kEntrySize = 46, kLocalSize = 30, kMaxComment = 0xFFFF;
constexpr std::uint64_t kEscaped = 0xFFFFFFFF;  // a 32-bit field whose value is in the ZIP64 extra field
// The ZIP64 end record up to its directory offset, the last field read.
constexpr std::size_t kZip64EndSize = 56;

// Where the end-of-directory record starts: the last signature whose
// comment reaches exactly to the end.
std::optional<std::size_t> FindEnd(ByteReader& r) {
  if (r.size() < kEndSize) return std::nullopt;
  const std::size_t lowest = r.size() - kEndSize > kMaxComment ? r.size() - kEndSize - kMaxComment : 0;
  for (std::size_t at = r.size() - kEndSize + 1; at-- > lowest;) {
    if (r.u32leAt(at) == kEndSignature && at + kEndSize + r.u16leAt(at + 20) == r.size()) return at;
  }
  return std::nullopt;
}

// Replaces the entry's escaped 32-bit fields by their values in its ZIP64
// extra field (id 1), which holds, in this order, just the escaped ones of
// the uncompressed size, the compressed size and the local header's
// offset. False when the size is escaped and the field lacks it (another
// field left escaped places the data beyond the archive).
bool ReadZip64Fields(ByteReader& r, std::size_t at, std::size_t end, ZipDirectoryEntry& entry) {
  bool sizeFound = entry.size != kEscaped;
  while (AddSizesValid(at, 4, end)) {
    const std::size_t id = r.u16leAt(at), length = r.u16leAt(at + 2);
    if (!AddSizesValid(at + 4, length, end)) break;
    if (id == 0x0001) {
      std::size_t value = at + 4;
      for (std::uint64_t* field : {&entry.size, &entry.compressedSize, &entry.localHeader}) {
        if (*field != kEscaped) continue;
        if (value + 8 > at + 4 + length) break;
        sizeFound = sizeFound || field == &entry.size;
        *field = r.u64leAt(value);
        value += 8;
      }
      break;
    }
    at += 4 + length;
  }
  return sizeFound;
}

}  // namespace

std::optional<std::vector<ZipDirectoryEntry>> ReadZipDirectory(ByteSpan zip) {
  ByteReader r(zip);
  const std::optional<std::size_t> end = FindEnd(r);
  if (!end || zip.size() < kZip64EndSize) return std::nullopt;
  std::uint64_t count = r.u16leAt(*end + 10), size = r.u32leAt(*end + 12), offset = r.u32leAt(*end + 16);
  if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
    // ZIP64: the locator just before the end record names the larger record.
    if (*end < 20 || r.u32leAt(*end - 20) != kZip64LocatorSignature) return std::nullopt;
    const std::uint64_t record = r.u64leAt(*end - 12);
    if (!AddSizesValid(record, kZip64EndSize, zip.size()) || r.u32leAt(record) != kZip64EndSignature) return std::nullopt;
    count = r.u64leAt(record + 32), size = r.u64leAt(record + 40), offset = r.u64leAt(record + 48);
  }
  if (!AddSizesValid(offset, size, zip.size()) || count > kMaxZipDirectoryEntries || !MulSizesValid(count, kEntrySize, size)) {
    return std::nullopt;
  }
  std::vector<ZipDirectoryEntry> entries;
  entries.reserve(count);
  std::size_t at = offset;
  const std::size_t limit = offset + size;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (!AddSizesValid(at, kEntrySize, limit) || r.u32leAt(at) != kEntrySignature) return std::nullopt;
    const std::size_t nameLength = r.u16leAt(at + 28), extraLength = r.u16leAt(at + 30);
    const std::size_t commentLength = r.u16leAt(at + 32);
    const std::size_t extra = at + kEntrySize + nameLength, next = extra + extraLength + commentLength;
    if (next > limit) return std::nullopt;
    ZipDirectoryEntry entry;
    entry.name = r.textAt(at + kEntrySize, nameLength);
    entry.flags = r.u16leAt(at + 8);
    entry.method = r.u16leAt(at + 10);
    entry.crc = r.u32leAt(at + 16);
    entry.compressedSize = r.u32leAt(at + 20);
    entry.size = r.u32leAt(at + 24);
    entry.localHeader = r.u32leAt(at + 42);
    // Made on Unix (the high byte of "version made by"), the attributes'
    // high half is the file's mode.
    entry.symbolicLink = r.u8At(at + 5) == 3 && (r.u32leAt(at + 38) >> 16 & 0170000) == 0120000;
    if (!ReadZip64Fields(r, extra, extra + extraLength, entry)) return std::nullopt;
    entries.push_back(entry);
    at = next;
  }
  return entries;
}

std::optional<std::uint64_t> ZipEntrySize(ByteSpan zip, std::string_view name) {
  const std::optional<std::vector<ZipDirectoryEntry>> entries = ReadZipDirectory(zip);
  if (!entries) return std::nullopt;
  for (const ZipDirectoryEntry& entry : *entries) {
    if (entry.name == name) return entry.size;
  }
  return std::nullopt;
}

std::optional<Bytes> ReadZipEntry(ByteSpan zip, const ZipDirectoryEntry& entry, std::uint64_t maxBytes) {
  if (entry.size > maxBytes || entry.size > kMaxSize || (entry.flags & 1) || (entry.method != 0 && entry.method != 8)) {
    return std::nullopt;
  }
  ByteReader r(zip);
  const std::uint64_t header = entry.localHeader;
  if (!AddSizesValid(header, kLocalSize, zip.size()) || r.u32leAt(header) != kLocalSignature) return std::nullopt;
  // The local header's own name and extra lengths place the data.
  const std::uint64_t data = header + kLocalSize + r.u16leAt(header + 26) + r.u16leAt(header + 28);
  if (!AddSizesValid(data, entry.compressedSize, zip.size())) return std::nullopt;
  const ByteSpan stored = zip.subspan(data, entry.compressedSize);
  Bytes bytes;
  if (entry.method == 0) {
    if (entry.compressedSize != entry.size) return std::nullopt;
    bytes.assign(stored.begin(), stored.end());
  } else {
    bytes = InflateRaw(stored, entry.size);
    if (bytes.size() != entry.size) return std::nullopt;
  }
  if (Crc32(bytes) != entry.crc) return std::nullopt;
  return bytes;
}
