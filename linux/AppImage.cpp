#include "linux/AppImage.h"

#include "support/ByteReader.h"

std::optional<std::uint64_t> AppImageImageOffset(ByteSpan start, std::uint64_t fileSize) {
  ByteReader r(start);
  if (start.size() < kElfHeaderBytes || r.textAt(0, 4) != "\x7F" "ELF") return std::nullopt;
  const std::uint8_t elfClass = r.u8At(4), data = r.u8At(5);
  const bool wide = elfClass == 2;  // ELFCLASS64
  if (elfClass != 1 && !wide) return std::nullopt;
  if (data != 1 && data != 2) return std::nullopt;  // ELFDATA2LSB, ELFDATA2MSB
  const ByteOrder order = data == 2 ? ByteOrder::Big : ByteOrder::Little;
  // e_shoff, e_shentsize and e_shnum.
  const std::uint64_t tableOffset = wide ? r.uintAt(0x28, 8, order) : r.uintAt(0x20, 4, order);
  const std::uint64_t entrySize = r.uintAt(wide ? 0x3A : 0x2E, 2, order);
  const std::uint64_t entries = r.uintAt(wide ? 0x3C : 0x30, 2, order);
  if (tableOffset > fileSize || !MadSizesValid(entrySize, entries, tableOffset)) return std::nullopt;
  const std::uint64_t end = tableOffset + entrySize * entries;
  if (end == 0 || end >= fileSize) return std::nullopt;
  return end;
}

bool IsIso9660AppImage(ByteSpan start) {
  ByteReader r(start);
  return r.textAt(0, 4) == "\x7F" "ELF" && r.textAt(0x8001, 5) == "CD001";
}

std::optional<std::uint64_t> SquashFsImageSize(ByteSpan superblock) {
  ByteReader r(superblock);
  if (superblock.size() < kSquashFsSuperblockBytes || r.textAt(0, 4) != "hsqs") return std::nullopt;
  if (r.u16leAt(28) != 4) return std::nullopt;  // s_major
  const std::uint64_t used = r.u64leAt(40);
  if (used < kSquashFsSuperblockBytes) return std::nullopt;
  return used;
}
