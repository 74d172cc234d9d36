#include "image/IcoEncode.h"

#include <algorithm>

#include "image/Resize.h"

namespace {

constexpr std::size_t kHeaderSize = 6, kEntrySize = 16;

}  // namespace

Bytes WriteIcoFile(const std::vector<IcoImageData>& images) {
  std::vector<const IcoImageData*> kept;
  std::size_t total = 0;
  for (const IcoImageData& image : images) {
    if (kept.size() == kMaxIconFileImages || image.data.size() > kMaxIconFileBytes - total) continue;
    total += image.data.size();
    kept.push_back(&image);
  }
  Bytes out;
  out.reserve(kHeaderSize + kEntrySize * kept.size() + total);
  PutU16le(out, 0);
  PutU16le(out, 1);
  PutU16le(out, static_cast<std::uint16_t>(kept.size()));
  std::size_t offset = kHeaderSize + kEntrySize * kept.size();
  for (const IcoImageData* image : kept) {
    out.insert(out.end(), image->entry.begin(), image->entry.end());
    PutU32le(out, static_cast<std::uint32_t>(image->data.size()));
    PutU32le(out, static_cast<std::uint32_t>(offset));
    offset += image->data.size();
  }
  for (const IcoImageData* image : kept) out.insert(out.end(), image->data.begin(), image->data.end());
  return out;
}

RgbaImage FitIntoSquare(const RgbaImage& image, int maxSide) {
  if (image.empty() || maxSide <= 0) return {};
  const int longer = std::max(image.width, image.height);
  const FittedRect fitted = longer <= maxSide ? FittedRect{0, 0, image.width, image.height}
                                              : FitCentred(image.width, image.height, maxSide, maxSide);
  const RgbaImage scaled = ResizeImage(image, fitted.width, fitted.height);
  if (scaled.empty()) return {};
  const int side = std::max(scaled.width, scaled.height);
  RgbaImage out{side, side, std::vector<std::uint8_t>(std::size_t(side) * side * 4, 0)};
  const int left = (side - scaled.width) / 2, top = (side - scaled.height) / 2;
  for (int y = 0; y < scaled.height; ++y) {
    std::copy_n(&scaled.pixels[std::size_t(y) * scaled.width * 4], std::size_t(scaled.width) * 4,
                &out.pixels[(std::size_t(top + y) * side + left) * 4]);
  }
  return out;
}

Bytes PngIconFile(ByteSpan png, int side) {
  IcoImageData image;
  const std::uint8_t stored = side >= 256 ? 0 : std::uint8_t(side);
  image.entry = {stored, stored, 0, 0, 1, 0, 32, 0};
  image.data = png;
  return WriteIcoFile({image});
}
