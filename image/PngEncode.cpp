#include "image/PngEncode.h"

#include <png.h>

Bytes WritePng(const RgbaImage& image) {
  if (image.empty() || image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) return {};
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  // Asked once for the size, then written into a buffer of that size.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.pixels.data(), 0, nullptr)) return {};
  Bytes out(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, image.pixels.data(), 0, nullptr)) return {};
  out.resize(size);
  return out;
}
