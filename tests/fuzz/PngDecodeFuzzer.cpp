// Fuzz target for the PNG decoder: mostly libpng itself, plus our size limit
// in front of it.
#include <cstddef>
#include <cstdint>

#include "image/PngDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const RgbaImage image = DecodePng(ByteSpan(data, size));
  if (image.empty()) return 0;
  if (!ImageSizeAllowed(static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height)) ||
      image.pixels.size() != std::size_t(image.width) * image.height * 4) {
    __builtin_trap();
  }
  return 0;
}
