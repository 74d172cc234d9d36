#include "image/IcoDecode.h"

#include <cstring>

#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "support/ByteReader.h"

namespace {

constexpr std::uint32_t kBitmapInfoHeaderSize = 40;

struct DibLayout {
  std::uint32_t width, height, bitCount, paletteSize;
  std::size_t pixelStart, xorStride, andStride;
};

std::size_t Stride(std::uint32_t width, std::uint32_t bits) { return ((std::size_t{width} * bits + 31) / 32) * 4; }

// Reads the BITMAPINFOHEADER of an icon image, whose height counts the image
// and its AND mask together.
bool ReadDibLayout(ByteSpan dib, DibLayout& out) {
  ByteReader r(dib);
  const std::uint32_t headerSize = r.u32le();
  const std::int32_t width = r.i32le();
  const std::int32_t doubleHeight = r.i32le();
  r.skip(2);  // planes
  const std::uint32_t bitCount = r.u16le();
  const std::uint32_t compression = r.u32le();
  r.skip(12);
  const std::uint32_t colorsUsed = r.u32le();
  if (!r.ok() || headerSize < kBitmapInfoHeaderSize || headerSize > dib.size()) return false;
  if (width <= 0 || doubleHeight <= 0) return false;
  const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(doubleHeight) / 2;
  if (!ImageSizeAllowed(w, h)) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return false;
  // BI_RGB, or BI_BITFIELDS with the usual masks for 32 bits.
  if (compression != 0 && !(compression == 3 && bitCount == 32)) return false;
  std::uint32_t palette = 0;
  if (bitCount <= 8) palette = colorsUsed != 0 && colorsUsed < (1u << bitCount) ? colorsUsed : (1u << bitCount);
  const std::size_t masks = compression == 3 && headerSize == kBitmapInfoHeaderSize ? 12 : 0;
  out = {w, h, bitCount, palette, headerSize + masks + std::size_t{palette} * 4, Stride(w, bitCount), Stride(w, 1)};
  return true;
}

std::uint32_t IndexAt(const std::uint8_t* row, std::uint32_t x, std::uint32_t bits) {
  const std::size_t bit = std::size_t{x} * bits;
  const std::uint8_t byte = row[bit / 8];
  return (byte >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

RgbaImage DecodeDib(ByteSpan dib) {
  DibLayout d;
  if (!ReadDibLayout(dib, d)) return {};
  const std::size_t xorSize = d.xorStride * d.height, andSize = d.andStride * d.height;
  if (d.pixelStart > dib.size() || xorSize > dib.size() - d.pixelStart) return {};
  const std::uint8_t* palette = dib.data() + d.pixelStart - std::size_t{d.paletteSize} * 4;
  const std::uint8_t* xorBits = dib.data() + d.pixelStart;
  // A missing AND mask (a truncated file) leaves every pixel opaque.
  const bool hasMask = andSize <= dib.size() - d.pixelStart - xorSize;
  const std::uint8_t* andBits = hasMask ? xorBits + xorSize : nullptr;

  RgbaImage out;
  out.width = static_cast<int>(d.width);
  out.height = static_cast<int>(d.height);
  out.pixels.assign(std::size_t{d.width} * d.height * 4, 0);
  bool anyAlpha = false;
  for (std::uint32_t y = 0; y < d.height; ++y) {
    const std::uint8_t* row = xorBits + (d.height - 1 - y) * d.xorStride;  // rows are stored bottom-up
    std::uint8_t* px = out.pixels.data() + std::size_t{y} * d.width * 4;
    for (std::uint32_t x = 0; x < d.width; ++x, px += 4) {
      const std::uint8_t* bgr;
      std::uint8_t alpha = 255;
      if (d.bitCount <= 8) {
        bgr = palette + std::size_t{IndexAt(row, x, d.bitCount) % d.paletteSize} * 4;
      } else {
        bgr = row + std::size_t{x} * (d.bitCount / 8);
        if (d.bitCount == 32) alpha = bgr[3];
      }
      px[0] = bgr[2];
      px[1] = bgr[1];
      px[2] = bgr[0];
      px[3] = alpha;
      anyAlpha |= d.bitCount == 32 && alpha != 0;
    }
  }
  // A 32-bit image carries its own alpha; only when it is all zero (an old
  // icon) does the AND mask decide, as it does for fewer bits.
  if (anyAlpha || !andBits) {
    if (!anyAlpha) for (std::size_t i = 3; i < out.pixels.size(); i += 4) out.pixels[i] = 255;
    return out;
  }
  for (std::uint32_t y = 0; y < d.height; ++y) {
    const std::uint8_t* row = andBits + (d.height - 1 - y) * d.andStride;
    std::uint8_t* px = out.pixels.data() + std::size_t{y} * d.width * 4;
    for (std::uint32_t x = 0; x < d.width; ++x) px[x * 4 + 3] = IndexAt(row, x, 1) ? 0 : 255;
  }
  return out;
}

}  // namespace

RgbaImage DecodeIco(ByteSpan bytes) {
  ByteReader r(bytes);
  const std::uint16_t reserved = r.u16le(), type = r.u16le(), count = r.u16le();
  if (!r.ok() || reserved != 0 || (type != 1 && type != 2) || count == 0) return {};
  r.skip(8);  // width, height, colours, reserved, planes, bit count of the first entry
  const std::uint32_t size = r.u32le(), offset = r.u32le();
  if (!r.ok() || offset > bytes.size() || size > bytes.size() - offset) return {};
  const ByteSpan image = bytes.subspan(offset, size);
  if (HasPngSignature(image)) return DecodePng(image);
  return DecodeDib(image);
}

std::vector<IcoEntry> ListIcoEntries(ByteSpan bytes) {
  std::vector<IcoEntry> entries;
  ByteReader r(bytes);
  const std::uint16_t reserved = r.u16le();
  const std::uint16_t type = r.u16le();
  const std::uint16_t count = r.u16le();
  if (!r.ok() || reserved != 0 || (type != 1 && type != 2)) return entries;
  for (std::uint16_t i = 0; i < count && r.ok(); ++i) {
    // Width, height, colours, reserved, planes, bit count: the image's own
    // header decides; they are kept for writing the entry out again.
    const ByteSpan directory = r.remaining() >= 8 ? bytes.subspan(r.position(), 8) : ByteSpan();
    r.skip(8);
    const std::uint32_t size = r.u32le();
    const std::uint32_t offset = r.u32le();
    if (!r.ok() || offset > bytes.size() || size > bytes.size() - offset) continue;
    IcoEntry entry;
    entry.data = bytes.subspan(offset, size);
    entry.directory = directory;
    entry.png = HasPngSignature(entry.data);
    if (entry.png) {
      const ImageSize size = ProbeImageSize(entry.data);
      entry.width = size.width;
      entry.height = size.height;
      entry.bitCount = 32;
    } else {
      DibLayout d;
      if (!ReadDibLayout(entry.data, d)) continue;
      entry.width = d.width;
      entry.height = d.height;
      entry.bitCount = d.bitCount;
    }
    if (entry.width == 0 || entry.height == 0 || !ImageSizeAllowed(entry.width, entry.height)) continue;
    entries.push_back(entry);
  }
  return entries;
}

RgbaImage DecodeIcoImage(const IcoEntry& entry) { return entry.png ? DecodePng(entry.data) : DecodeDib(entry.data); }

bool OutranksIconImage(const IconImageRank& candidate, const IconImageRank& best) {
  const std::uint64_t area = std::uint64_t{candidate.width} * candidate.height;
  const std::uint64_t bestArea = std::uint64_t{best.width} * best.height;
  return area != bestArea ? area > bestArea : candidate.bitCount > best.bitCount;
}
