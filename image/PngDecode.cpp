#include "image/PngDecode.h"

#include <png.h>

RgbaImage DecodePng(ByteSpan bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
  if (!ImageSizeAllowed(image.width, image.height)) {
    png_image_free(&image);
    return {};
  }
  image.format = PNG_FORMAT_RGBA;
  RgbaImage out;
  out.pixels.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return {};
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  return out;
}
