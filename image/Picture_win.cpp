#include "image/Picture_win.h"

#include <vector>

#include "image/IcoDecode.h"
#include "image/IcoEncode.h"
#include "image/ImageCodec_win.h"
#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"

namespace {

// The largest side of an icon file's image that every reader takes.
constexpr int kIconFileSide = 256;

// One image of an icon group as a PNG file: a PNG stream as stored, a
// bitmap encoded with its mask as alpha.
Bytes IconImageAsPng(const IcoEntry& entry) {
  if (entry.png && !DecodePng(entry.data).empty()) return Bytes(entry.data.begin(), entry.data.end());
  const RgbaImage image = DecodeIcoImage(entry);
  return image.empty() ? Bytes() : WritePng(image);
}

}  // namespace

RgbaImage DecodePicture(ByteSpan bytes) {
  switch (SniffImageFormat(bytes)) {
    case ImageFormat::Png: return DecodePng(bytes);
    case ImageFormat::Icon: return DecodeIco(bytes);
    case ImageFormat::Jpeg:
    case ImageFormat::Bmp:
    case ImageFormat::Gif: return DecodeWithCodec(bytes);
    default: return {};
  }
}

Bytes PictureAsPng(ByteSpan picture) {
  switch (SniffImageFormat(picture)) {
    case ImageFormat::Png: return Bytes(picture.begin(), picture.end());
    case ImageFormat::Icon: {
      // The image the box shows is the file's first; a PNG stream stays as stored.
      const std::vector<IcoEntry> entries = ListIcoEntries(picture);
      if (!entries.empty() && entries.front().png && !DecodePng(entries.front().data).empty()) {
        return Bytes(entries.front().data.begin(), entries.front().data.end());
      }
      break;
    }
    default: break;
  }
  const RgbaImage image = DecodePicture(picture);
  return image.empty() ? Bytes() : WritePng(image);
}

Bytes PictureImageAsPng(ByteSpan picture, std::uint32_t maxSide) {
  if (SniffImageFormat(picture) != ImageFormat::Icon) return PictureAsPng(picture);
  const std::vector<IcoEntry> entries = ListIcoEntries(picture);
  const IcoEntry* best = nullptr;
  const IcoEntry* smallest = nullptr;
  for (const IcoEntry& e : entries) {
    const IconImageRank rank{e.width, e.height, e.bitCount};
    if (!smallest || std::uint64_t(e.width) * e.height < std::uint64_t(smallest->width) * smallest->height) smallest = &e;
    if (e.width > maxSide || e.height > maxSide) continue;
    if (!best || OutranksIconImage(rank, {best->width, best->height, best->bitCount})) best = &e;
  }
  if (!best) best = smallest;
  if (!best) return PictureAsPng(picture);
  return IconImageAsPng(*best);
}

RgbaImage DecodeChosenImage(ByteSpan picture, std::size_t image) {
  if (image == 0 || SniffImageFormat(picture) != ImageFormat::Icon) return DecodePicture(picture);
  const std::vector<IcoEntry> entries = ListIcoEntries(picture);
  return image < entries.size() ? DecodeIcoImage(entries[image]) : DecodePicture(picture);
}

Bytes ChosenImageAsPng(ByteSpan picture, std::size_t image) {
  if (image == 0 || SniffImageFormat(picture) != ImageFormat::Icon) return PictureAsPng(picture);
  const std::vector<IcoEntry> entries = ListIcoEntries(picture);
  return image < entries.size() ? IconImageAsPng(entries[image]) : PictureAsPng(picture);
}

Bytes PictureAsIcon(ByteSpan picture) {
  if (SniffImageFormat(picture) == ImageFormat::Icon) return Bytes(picture.begin(), picture.end());
  const Bytes png = PictureAsPng(picture);
  const RgbaImage image = DecodePng(png);
  if (image.empty()) return {};
  if (image.width == image.height && image.width <= kIconFileSide) return PngIconFile(png, image.width);
  const RgbaImage fitted = FitIntoSquare(image, kIconFileSide);
  return PngIconFile(WritePng(fitted), fitted.width);
}
