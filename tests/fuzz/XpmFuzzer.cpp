// Fuzz target for the XPM reader: any text, including headers that declare
// the largest image and colour table allowed.
#include <cstddef>
#include <cstdint>

#include "image/Xpm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  const bool looksLike = LooksLikeXpm(bytes);
  const RgbaImage image = DecodeXpm(bytes);
  if (image.empty()) return 0;
  // An image comes only from marked text, within the limits, every pixel there.
  if (!looksLike || image.width > static_cast<int>(kMaxXpmSide) || image.height > static_cast<int>(kMaxXpmSide) ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) {
    __builtin_trap();
  }
  return 0;
}
