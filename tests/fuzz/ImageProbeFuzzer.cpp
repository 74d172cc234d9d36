// Fuzz target for the header probes that run before anything is decoded or
// extracted: format sniffing, declared image and WebP canvas sizes, the
// picture check and the picture's description.
#include <cstddef>
#include <cstdint>

#include "image/ImageFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan bytes(data, size);
  const ImageFormat format = SniffImageFormat(bytes);
  const ImageSize declared = ProbeImageSize(bytes);
  const bool picture = IsPictureImage(bytes);
  if (format == ImageFormat::Unknown && (picture || declared.width != 0 || declared.height != 0)) __builtin_trap();
  // A raster picture is one whose declared size the box accepts.
  if (picture && format != ImageFormat::Icon && !ImageSizeAllowed(declared.width, declared.height)) __builtin_trap();
  if (!picture && !DescribePicture(bytes).empty()) __builtin_trap();
  // Canvas sides are at most 24 bits wide (the extended header). A zero side
  // may come back with a non-zero one: the caller refuses either.
  const ImageSize webp = ProbeWebpSize(bytes);
  if (webp.width > 16777216 || webp.height > 16777216) __builtin_trap();
  return 0;
}
