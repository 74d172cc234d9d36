#include "output/ImageFormat.h"

#include <cstring>

namespace {

bool StartsWith(ByteSpan bytes, const char* magic, std::size_t n) {
  return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
}

}  // namespace

ImageFormat SniffImageFormat(ByteSpan b) {
  if (StartsWith(b, "\x89PNG", 4)) return ImageFormat::Png;
  if (StartsWith(b, "\xFF\xD8", 2)) return ImageFormat::Jpeg;
  if (StartsWith(b, "BM", 2)) return ImageFormat::Bmp;
  // An icon or cursor file: reserved word 0, then type 1 or 2.
  if (b.size() >= 4 && b[0] == 0 && b[1] == 0 && (b[2] == 1 || b[2] == 2) && b[3] == 0) {
    return ImageFormat::Icon;
  }
  if (StartsWith(b, "GIF87a", 6) || StartsWith(b, "GIF89a", 6)) return ImageFormat::Gif;
  // PCX: manufacturer 0x0A, version 0..5, encoding 1.
  if (b.size() >= 128 && b[0] == 0x0A && b[1] <= 5 && b[2] == 1) return ImageFormat::Pcx;
  return ImageFormat::Unknown;
}
