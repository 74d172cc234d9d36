#include "image/IcoEncode.h"

#include <algorithm>

#include "image/ImageFormat.h"
#include "image/Resize.h"

namespace {

constexpr std::size_t kHeaderSize = 6, kEntrySize = 16;

// A PNG stream's directory entry. A side of 256 or more is stored as 0, as
// icon files store 256; readers take the real size from the stream.
IcoImageData PngImage(ByteSpan png, std::uint32_t width, std::uint32_t height) {
  const auto stored = [](std::uint32_t side) { return std::uint8_t(side >= 256 ? 0 : side); };
  IcoImageData image;
  image.entry = {stored(width), stored(height), 0, 0, 1, 0, 32, 0};
  image.data = png;
  return image;
}

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
  return WriteIcoFile({PngImage(png, std::uint32_t(side), std::uint32_t(side))});
}

Bytes PngIconGroup(const std::vector<ByteSpan>& pngs) {
  std::vector<IcoImageData> images;
  std::vector<ImageSize> sizes;
  for (const ByteSpan png : pngs) {
    const ImageSize size = ProbeImageSize(png);
    const bool seen = std::any_of(sizes.begin(), sizes.end(), [&size](const ImageSize& s) {
      return s.width == size.width && s.height == size.height;
    });
    if (size.width == 0 || size.height == 0 || seen) continue;
    sizes.push_back(size);
    images.push_back(PngImage(png, size.width, size.height));
  }
  return images.empty() ? Bytes() : WriteIcoFile(images);
}
