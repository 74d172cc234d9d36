#include "extract/PeResources.h"

#include <algorithm>

#include "support/ByteReader.h"

namespace {

constexpr std::uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
// No real executable comes near this; it bounds the work a crafted
// directory can cause.
constexpr std::size_t kMaxEntriesPerDirectory = 1u << 16;

struct Section {
  std::uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

struct Layout {
  std::vector<Section> sections;
  std::uint32_t resourceRva = 0;
};

bool ReadLayout(ByteSpan file, Layout& out) {
  ByteReader r(file);
  if (r.u16le() != 0x5A4D) return false;  // "MZ"
  r.seek(0x3C);
  const std::uint32_t pe = r.u32le();
  r.seek(pe);
  if (r.u32le() != 0x00004550) return false;  // "PE\0\0"
  r.skip(2);
  const std::uint16_t sectionCount = r.u16le();
  r.skip(12);
  const std::uint16_t optionalSize = r.u16le();
  r.skip(2);
  const std::size_t optional = r.position();
  const std::uint16_t magic = r.u16le();
  if (!r.ok() || (magic != kPe32Magic && magic != kPe32PlusMagic)) return false;
  const std::size_t directories = optional + (magic == kPe32Magic ? 96 : 112);
  r.seek(directories - 4);
  const std::uint32_t directoryCount = r.u32le();
  if (!r.ok() || directoryCount <= kResourceDirectoryIndex) return false;
  if (directories + 8 * (kResourceDirectoryIndex + 1) > optional + optionalSize) return false;
  r.seek(directories + 8 * kResourceDirectoryIndex);
  out.resourceRva = r.u32le();
  r.seek(optional + optionalSize);
  for (std::uint16_t i = 0; i < sectionCount && r.ok(); ++i) {
    r.skip(8);  // name
    Section s{};
    s.virtualSize = r.u32le();
    s.virtualAddress = r.u32le();
    s.rawSize = r.u32le();
    s.rawOffset = r.u32le();
    r.skip(16);
    if (r.ok()) out.sections.push_back(s);
  }
  return r.ok() && out.resourceRva != 0;
}

// The file offset of an RVA with `size` bytes behind it inside one section's
// raw data and inside the file; false when there is none.
bool FileOffset(const Layout& layout, ByteSpan file, std::uint32_t rva, std::uint32_t size, std::size_t& offset) {
  for (const Section& s : layout.sections) {
    if (rva < s.virtualAddress) continue;
    const std::uint64_t into = std::uint64_t{rva} - s.virtualAddress;
    if (into + size > s.rawSize) continue;
    const std::uint64_t at = std::uint64_t{s.rawOffset} + into;
    if (at + size > file.size()) return false;
    offset = static_cast<std::size_t>(at);
    return true;
  }
  return false;
}

// The resource data as one view from the directory's start to the end of
// the raw data of the section holding it: directory offsets are relative to
// that start. Empty when the directory lies outside every section.
ByteSpan ResourceSection(const Layout& layout, ByteSpan file) {
  for (const Section& s : layout.sections) {
    if (layout.resourceRva < s.virtualAddress) continue;
    const std::uint64_t into = std::uint64_t{layout.resourceRva} - s.virtualAddress;
    if (into >= s.rawSize) continue;
    const std::uint64_t start = std::uint64_t{s.rawOffset} + into;
    const std::uint64_t end = std::min<std::uint64_t>(file.size(), std::uint64_t{s.rawOffset} + s.rawSize);
    if (start >= end) return {};
    return file.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
  }
  return {};
}

struct DirectoryEntry {
  std::uint32_t name, target;
};

// The entries of the directory at `at` (an offset inside the resource section).
std::vector<DirectoryEntry> ReadDirectory(ByteSpan section, std::uint32_t at) {
  ByteReader r(section, at);
  r.skip(12);
  const std::size_t count = std::size_t{r.u16le()} + r.u16le();
  std::vector<DirectoryEntry> entries;
  if (!r.ok() || count > kMaxEntriesPerDirectory || count * 8 > r.remaining()) return entries;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) entries.push_back({r.u32le(), r.u32le()});
  return entries;
}

}  // namespace

std::vector<PeResource> ListPeResources(ByteSpan file, std::uint16_t type) {
  std::vector<PeResource> found;
  Layout layout;
  if (!ReadLayout(file, layout)) return found;
  const ByteSpan section = ResourceSection(layout, file);
  if (section.size() < 16) return found;

  for (const DirectoryEntry& typeEntry : ReadDirectory(section, 0)) {
    if ((typeEntry.name & kHighBit) || typeEntry.name != type || !(typeEntry.target & kHighBit)) continue;
    for (const DirectoryEntry& nameEntry : ReadDirectory(section, typeEntry.target & ~kHighBit)) {
      if (!(nameEntry.target & kHighBit)) continue;
      const auto languages = ReadDirectory(section, nameEntry.target & ~kHighBit);
      if (languages.empty() || (languages.front().target & kHighBit)) continue;
      ByteReader data(section, languages.front().target);
      const std::uint32_t rva = data.u32le(), size = data.u32le();
      std::size_t offset = 0;
      if (!data.ok() || !FileOffset(layout, file, rva, size, offset)) continue;
      const bool named = (nameEntry.name & kHighBit) != 0;
      found.push_back({named, named ? 0 : nameEntry.name, file.subspan(offset, size)});
    }
    break;  // one directory per type
  }
  return found;
}
