#include "output/DropFiles.h"

namespace {
constexpr std::uint32_t kDropFilesHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide
constexpr std::size_t kWideFlagAt = 16;
}

Bytes BuildDropFiles(std::u16string_view path) {
  Bytes block(kDropFilesHeaderSize, 0);
  block[0] = static_cast<std::uint8_t>(kDropFilesHeaderSize);  // pFiles
  block[kWideFlagAt] = 1;
  for (char16_t c : path) block.insert(block.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
  block.insert(block.end(), {0, 0, 0, 0});
  return block;
}
