// Fuzz target for the icon-file decoder (bitmaps of every depth, and PNG
// streams inside an icon file), the icon-file route that puts the largest
// image first, the scaling for one-image icon files, and the repair of loose crushed PNGs.
#include <cstddef>
#include <cstdint>

#include "image/IcoDecode.h"
#include "image/IcoEncode.h"
#include "image/PngDecode.h"
#include "image/IconFile.h"
#include "pictures/ImageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  const RgbaImage image = DecodeIco(bytes);
  if (!image.empty() &&
      (!ImageSizeAllowed(static_cast<std::uint32_t>(image.width), static_cast<std::uint32_t>(image.height)) ||
       image.pixels.size() != std::size_t(image.width) * image.height * 4)) {
    __builtin_trap();
  }
  for (const IcoEntry& entry : ListIcoEntries(bytes)) {
    if (entry.data.data() < data || entry.data.data() + entry.data.size() > data + size) __builtin_trap();
  }
  // Whatever the icon-file route gives is an icon file, no larger than the
  // input allows, whose first image decodes; its scaled copy fits 256.
  const Bytes group = IconFileAsGroup(bytes);
  if (!group.empty() && (group.size() > kMaxIconFileBytes + 6 + 16 * kMaxIconFileImages || DecodeIco(group).empty())) {
    __builtin_trap();
  }
  if (!image.empty()) {
    const RgbaImage fitted = FitIntoSquare(image, 256);
    if (fitted.width != fitted.height || fitted.width > 256 || fitted.pixels.size() != std::size_t(fitted.width) * fitted.width * 4) {
      __builtin_trap();
    }
  }
  StandardPicture(bytes);
  return 0;
}
