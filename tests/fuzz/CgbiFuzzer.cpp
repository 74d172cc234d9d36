// Fuzz target for the crushed-PNG normaliser: any bytes that start like a
// crushed PNG, including compressed data that expands to the largest image
// allowed.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/CgbiPng.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  IsCgbiPng(bytes);
  const Bytes png = NormalizeCgbiPng(bytes);
  if (png.empty()) return 0;
  // What comes out is an ordinary PNG: signature, then IHDR, no CgBI chunk.
  if (png.size() < 33 || std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8) != 0 ||
      std::memcmp(png.data() + 12, "IHDR", 4) != 0 || IsCgbiPng(png)) {
    __builtin_trap();
  }
  return 0;
}
