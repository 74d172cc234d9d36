#pragma once
// A type-2 AppImage: an ELF program (the runtime) followed by a SquashFS
// image of the application, which starts where the ELF file's last part,
// its section header table, ends. A type-1 AppImage is an ISO 9660 image
// whose system area (its first 32 KiB) holds the ELF runtime.
#include <cstdint>
#include <optional>

#include "support/Bytes.h"

// Bytes of the file's start the offset needs: the larger ELF header.
inline constexpr std::size_t kElfHeaderBytes = 64;
// Bytes of the image's start its size needs: the SquashFS superblock.
inline constexpr std::size_t kSquashFsSuperblockBytes = 96;

// Where the image starts: the end of the section header table of the ELF
// header at the file's start (32 or 64 bits, either byte order). Nothing
// for a file that is no ELF program or whose table lies beyond fileSize.
std::optional<std::uint64_t> AppImageImageOffset(ByteSpan start, std::uint64_t fileSize);

// Bytes of the file's start a type-1 AppImage is told by: up to its first
// volume descriptor's "CD001".
inline constexpr std::size_t kIso9660Bytes = 0x8006;

// True for an ELF program that is also an ISO 9660 image (a type-1 AppImage).
bool IsIso9660AppImage(ByteSpan start);

// The image's size, the superblock's bytes_used, when it starts a SquashFS
// 4 image ("hsqs"); nothing otherwise.
std::optional<std::uint64_t> SquashFsImageSize(ByteSpan superblock);
