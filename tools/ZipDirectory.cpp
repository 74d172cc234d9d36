#include "tools/ZipDirectory.h"

#include "support/ByteReader.h"

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50, kZip64EndSignature = 0x06064b50, kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::size_t kEndSize = 22, kEntrySize = 46, kMaxComment = 0xFFFF;
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

// The uncompressed size in an entry's ZIP64 extra field (id 1, the size
// first), searched among the extra fields from at to end.
std::optional<std::uint64_t> Zip64Size(ByteReader& r, std::size_t at, std::size_t end) {
  while (AddSizesValid(at, 4, end)) {
    const std::size_t id = r.u16leAt(at), length = r.u16leAt(at + 2);
    if (!AddSizesValid(at + 4, length, end)) break;
    if (id == 0x0001 && length >= 8) return r.u64leAt(at + 4);
    at += 4 + length;
  }
  return std::nullopt;
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
    entry.size = r.u32leAt(at + 24);
    if (entry.size == 0xFFFFFFFF) {
      const std::optional<std::uint64_t> size64 = Zip64Size(r, extra, extra + extraLength);
      if (!size64) return std::nullopt;
      entry.size = *size64;
    }
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
