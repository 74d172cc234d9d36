#include "output/DropFiles.h"

namespace {
constexpr std::uint32_t kDropFilesHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide
}

Bytes BuildDropFiles(std::string_view path) {
  Bytes block(kDropFilesHeaderSize, 0);
  block[0] = static_cast<std::uint8_t>(kDropFilesHeaderSize);  // pFiles; fWide stays 0: narrow names
  block.insert(block.end(), path.begin(), path.end());
  block.insert(block.end(), {0, 0});
  return block;
}
