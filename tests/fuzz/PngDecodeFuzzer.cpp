// Fuzz target for the PNG decoder: mostly libpng itself, plus our size limit
// in front of it; and the icon group an Android icon's densities make of
// such streams (the input and its first half, a smaller one when it reads).
#include <cstddef>
#include <cstdint>

#include "android/ApkIconChoice.h"
#include "image/IcoDecode.h"
#include "image/PngDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes whole(data, data + size);
  const Bytes group = DensityIconGroup(whole, {Bytes(data, data + size / 2), whole});
  if (group != whole && ListIcoEntries(group).size() < 2) __builtin_trap();
  const RgbaImage image = DecodePng(ByteSpan(data, size));
  if (image.empty()) return 0;
  if (!ImageSizeAllowed(static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height)) ||
      image.pixels.size() != std::size_t(image.width) * image.height * 4) {
    __builtin_trap();
  }
  return 0;
}
