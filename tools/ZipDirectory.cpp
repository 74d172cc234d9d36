#include "tools/ZipDirectory.h"

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50, kZip64EndSignature = 0x06064b50, kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::size_t kEndSize = 22, kEntrySize = 46, kMaxComment = 0xFFFF;

std::uint64_t Little(ByteSpan b, std::size_t at, std::size_t size) {
  std::uint64_t v = 0;
  for (std::size_t i = size; i-- > 0;) v = v << 8 | b[at + i];
  return v;
}

// Where the end-of-directory record starts: the last signature whose
// comment reaches exactly to the end.
std::optional<std::size_t> FindEnd(ByteSpan zip) {
  if (zip.size() < kEndSize) return std::nullopt;
  const std::size_t lowest = zip.size() - kEndSize > kMaxComment ? zip.size() - kEndSize - kMaxComment : 0;
  for (std::size_t at = zip.size() - kEndSize + 1; at-- > lowest;) {
    if (Little(zip, at, 4) == kEndSignature && at + kEndSize + Little(zip, at + 20, 2) == zip.size()) return at;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<ZipDirectoryEntry>> ReadZipDirectory(ByteSpan zip) {
  const std::optional<std::size_t> end = FindEnd(zip);
  if (!end || zip.size() < 56) return std::nullopt;
  std::uint64_t count = Little(zip, *end + 10, 2), size = Little(zip, *end + 12, 4), offset = Little(zip, *end + 16, 4);
  if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
    // ZIP64: the locator just before the end record names the larger record.
    if (*end < 20 || Little(zip, *end - 20, 4) != kZip64LocatorSignature) return std::nullopt;
    const std::uint64_t record = Little(zip, *end - 12, 8);
    if (record > zip.size() - 56 || Little(zip, record, 4) != kZip64EndSignature) return std::nullopt;
    count = Little(zip, record + 32, 8), size = Little(zip, record + 40, 8), offset = Little(zip, record + 48, 8);
  }
  if (offset > zip.size() || size > zip.size() - offset || count > kMaxZipDirectoryEntries || count > size / kEntrySize) {
    return std::nullopt;
  }
  std::vector<ZipDirectoryEntry> entries;
  entries.reserve(count);
  std::size_t at = offset;
  const std::size_t limit = offset + size;
  for (std::uint64_t i = 0; i < count; ++i) {
    if (limit - at < kEntrySize || Little(zip, at, 4) != kEntrySignature) return std::nullopt;
    const std::size_t nameLength = Little(zip, at + 28, 2), extraLength = Little(zip, at + 30, 2);
    const std::size_t commentLength = Little(zip, at + 32, 2);
    if (limit - at - kEntrySize < nameLength + extraLength + commentLength) return std::nullopt;
    ZipDirectoryEntry entry;
    entry.name = std::string_view(reinterpret_cast<const char*>(zip.data() + at + kEntrySize), nameLength);
    entry.size = Little(zip, at + 24, 4);
    if (entry.size == 0xFFFFFFFF) {
      // The ZIP64 extra field: the uncompressed size comes first.
      std::size_t extra = at + kEntrySize + nameLength;
      const std::size_t extraEnd = extra + extraLength;
      bool found = false;
      while (extraEnd - extra >= 4) {
        const std::size_t id = Little(zip, extra, 2), length = Little(zip, extra + 2, 2);
        if (length > extraEnd - extra - 4) break;
        if (id == 0x0001 && length >= 8) {
          entry.size = Little(zip, extra + 4, 8);
          found = true;
          break;
        }
        extra += 4 + length;
      }
      if (!found) return std::nullopt;
    }
    entries.push_back(entry);
    at += kEntrySize + nameLength + extraLength + commentLength;
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
