#include "linux/AppImage.h"

namespace {

std::uint64_t Number(ByteSpan bytes, std::size_t at, std::size_t size, bool bigEndian) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint64_t byte = bytes[at + (bigEndian ? i : size - 1 - i)];
    value = (value << 8) | byte;
  }
  return value;
}

}  // namespace

std::optional<std::uint64_t> AppImageImageOffset(ByteSpan start, std::uint64_t fileSize) {
  if (start.size() < kElfHeaderBytes || start[0] != 0x7F || start[1] != 'E' || start[2] != 'L' || start[3] != 'F') {
    return std::nullopt;
  }
  const bool wide = start[4] == 2;  // ELFCLASS64
  if (start[4] != 1 && !wide) return std::nullopt;
  if (start[5] != 1 && start[5] != 2) return std::nullopt;  // ELFDATA2LSB, ELFDATA2MSB
  const bool bigEndian = start[5] == 2;
  // e_shoff, e_shentsize and e_shnum.
  const std::uint64_t tableOffset = wide ? Number(start, 0x28, 8, bigEndian) : Number(start, 0x20, 4, bigEndian);
  const std::uint64_t entrySize = Number(start, wide ? 0x3A : 0x2E, 2, bigEndian);
  const std::uint64_t entries = Number(start, wide ? 0x3C : 0x30, 2, bigEndian);
  if (tableOffset > fileSize) return std::nullopt;
  const std::uint64_t end = tableOffset + entrySize * entries;  // at most 2^32 past an offset within the file
  if (end == 0 || end >= fileSize) return std::nullopt;
  return end;
}

std::optional<std::uint64_t> SquashFsImageSize(ByteSpan superblock) {
  if (superblock.size() < kSquashFsSuperblockBytes || superblock[0] != 'h' || superblock[1] != 's' ||
      superblock[2] != 'q' || superblock[3] != 's') {
    return std::nullopt;
  }
  if (Number(superblock, 28, 2, false) != 4) return std::nullopt;  // s_major
  const std::uint64_t used = Number(superblock, 40, 8, false);
  if (used < kSquashFsSuperblockBytes) return std::nullopt;
  return used;
}
