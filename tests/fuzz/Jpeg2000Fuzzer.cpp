// Fuzz target for the JPEG 2000 decoder: mostly OpenJPEG itself, behind our
// checks of the codestream's header (size, tile grid, components) and the
// JP2 boxes in front of it.
#include <cstddef>
#include <cstdint>

#include "image/Jpeg2000.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  const ImageSize declared = ProbeJpeg2000Size(bytes);
  const RgbaImage image = DecodeJpeg2000(bytes);
  if (image.empty()) return 0;
  // An image comes only at the size its header declares, within the limits,
  // every pixel there.
  if (static_cast<std::uint32_t>(image.width) != declared.width ||
      static_cast<std::uint32_t>(image.height) != declared.height || declared.width > kMaxJpeg2000Side ||
      declared.height > kMaxJpeg2000Side || image.pixels.size() != std::size_t(image.width) * image.height * 4) {
    __builtin_trap();
  }
  return 0;
}
