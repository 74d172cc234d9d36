// Fuzz target for the icon-file decoder (bitmaps of every depth, and PNG
// streams inside an icon file).
#include <cstddef>
#include <cstdint>

#include "output/IcoDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const RgbaImage image = DecodeIco(ByteSpan(data, size));
  if (image.empty()) return 0;
  if (!ImageSizeAllowed(static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height)) ||
      image.pixels.size() != std::size_t(image.width) * image.height * 4) {
    __builtin_trap();
  }
  return 0;
}
