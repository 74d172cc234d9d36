#include "image/ImageFormat.h"

#include <cstdlib>
#include <cstring>

#include "support/ByteReader.h"

namespace {

bool StartsWith(ByteSpan bytes, const char* magic, std::size_t n) {
  return bytes.size() >= n && std::memcmp(bytes.data(), magic, n) == 0;
}

}  // namespace

bool HasPngSignature(ByteSpan bytes) {
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0;
}

bool IsStandardPngStart(ByteSpan bytes) {
  return HasPngSignature(bytes) && StartsWith(bytes.subspan(8), "\0\0\0\x0DIHDR", 8);
}

bool HasWebpSignature(ByteSpan bytes) {
  return StartsWith(bytes, "RIFF", 4) && bytes.size() >= 12 && std::memcmp(bytes.data() + 8, "WEBP", 4) == 0;
}

ImageFormat SniffImageFormat(ByteSpan b) {
  if (HasPngSignature(b)) return ImageFormat::Png;
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

namespace {

std::uint16_t U16Be(ByteReader& r) {
  const std::uint16_t hi = r.u8();
  const std::uint16_t lo = r.u8();
  return static_cast<std::uint16_t>((hi << 8) | lo);
}

// The frame header (SOFn) of a JPEG: markers are walked segment by segment.
ImageSize ProbeJpeg(ByteSpan bytes) {
  ByteReader r(bytes, 2);
  while (r.ok()) {
    if (r.u8() != 0xFF) return {};
    std::uint8_t marker = r.u8();
    while (marker == 0xFF && r.ok()) marker = r.u8();  // fill bytes
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
    const std::uint16_t length = U16Be(r);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      r.skip(1);  // precision
      const std::uint16_t height = U16Be(r), width = U16Be(r);
      return r.ok() ? ImageSize{width, height} : ImageSize{};
    }
    if (length < 2) return {};
    r.skip(length - 2u);
  }
  return {};
}

}  // namespace

ImageSize ProbeImageSize(ByteSpan bytes) {
  switch (SniffImageFormat(bytes)) {
    case ImageFormat::Png: {
      ByteReader r(bytes, 16);  // IHDR data, right after the signature and chunk head
      const std::uint32_t width = r.u32be(), height = r.u32be();
      return r.ok() ? ImageSize{width, height} : ImageSize{};
    }
    case ImageFormat::Jpeg:
      return ProbeJpeg(bytes);
    case ImageFormat::Bmp: {
      ByteReader r(bytes, 18);
      const std::int32_t width = r.i32le(), height = r.i32le();
      if (!r.ok()) return {};
      return {static_cast<std::uint32_t>(std::abs(static_cast<long long>(width))),
              static_cast<std::uint32_t>(std::abs(static_cast<long long>(height)))};
    }
    case ImageFormat::Gif: {
      ByteReader r(bytes, 6);
      const std::uint16_t width = r.u16le(), height = r.u16le();
      return r.ok() ? ImageSize{width, height} : ImageSize{};
    }
    default:
      return {};
  }
}

namespace {

// Little-endian value of n (at most 4) bytes, read one by one.
std::uint32_t LittleEndian(ByteReader& r, int n) {
  std::uint32_t value = 0;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t byte = r.u8();
    value |= byte << (8 * i);
  }
  return value;
}

}  // namespace

ImageSize ProbeWebpSize(ByteSpan bytes) {
  if (!HasWebpSignature(bytes) || bytes.size() < 30) return {};
  const ByteSpan chunk = bytes.subspan(12, 4);
  ByteReader r(bytes, 20);  // the first chunk's data
  if (std::memcmp(chunk.data(), "VP8 ", 4) == 0) {
    r.skip(3);  // frame tag
    if (r.u8() != 0x9D || r.u8() != 0x01 || r.u8() != 0x2A) return {};
    const std::uint32_t width = LittleEndian(r, 2) & 0x3FFF;
    const std::uint32_t height = LittleEndian(r, 2) & 0x3FFF;
    return r.ok() ? ImageSize{width, height} : ImageSize{};
  }
  if (std::memcmp(chunk.data(), "VP8L", 4) == 0) {
    if (r.u8() != 0x2F) return {};
    const std::uint32_t bits = LittleEndian(r, 4);
    return r.ok() ? ImageSize{(bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1} : ImageSize{};
  }
  if (std::memcmp(chunk.data(), "VP8X", 4) == 0) {
    r.skip(4);  // flags and reserved bits
    const std::uint32_t width = LittleEndian(r, 3) + 1;
    const std::uint32_t height = LittleEndian(r, 3) + 1;
    return r.ok() ? ImageSize{width, height} : ImageSize{};
  }
  return {};
}

bool IsPictureImage(ByteSpan bytes) {
  switch (SniffImageFormat(bytes)) {
    case ImageFormat::Png:
    case ImageFormat::Jpeg:
    case ImageFormat::Bmp:
    case ImageFormat::Gif: {
      const ImageSize size = ProbeImageSize(bytes);
      return ImageSizeAllowed(size.width, size.height);
    }
    case ImageFormat::Icon: {
      ByteReader r(bytes, 4);
      const std::uint32_t count = LittleEndian(r, 2);
      constexpr std::size_t kDirectoryEntry = 16;
      return r.ok() && count > 0 && r.remaining() >= kDirectoryEntry;
    }
    default:
      return false;
  }
}

namespace {

// The first image of an icon file, by its own header: a PNG stream's, or a
// bitmap's whose height counts the image and its mask together.
ImageSize ProbeFirstIconImage(ByteSpan bytes) {
  ByteReader entry(bytes, 6 + 8);  // the first directory entry, past its width .. bit count
  const std::uint32_t size = entry.u32le(), offset = entry.u32le();
  if (!entry.ok() || offset > bytes.size() || size > bytes.size() - offset) return {};
  const ByteSpan image = bytes.subspan(offset, size);
  if (SniffImageFormat(image) == ImageFormat::Png) return ProbeImageSize(image);
  ByteReader header(image, 4);  // BITMAPINFOHEADER, past its size
  const std::int32_t width = header.i32le(), doubleHeight = header.i32le();
  if (!header.ok() || width <= 0 || doubleHeight <= 1) return {};
  return {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(doubleHeight) / 2};
}

constexpr struct {
  ImageFormat format;
  const char* name;
} kFormatNames[] = {
    {ImageFormat::Png, "PNG"}, {ImageFormat::Jpeg, "JPEG"}, {ImageFormat::Bmp, "BMP"},
    {ImageFormat::Gif, "GIF"}, {ImageFormat::Icon, "ICO"},
};

}  // namespace

std::string DescribePicture(ByteSpan bytes) {
  if (!IsPictureImage(bytes)) return {};
  const ImageFormat format = SniffImageFormat(bytes);
  const ImageSize size = format == ImageFormat::Icon ? ProbeFirstIconImage(bytes) : ProbeImageSize(bytes);
  if (!ImageSizeAllowed(size.width, size.height)) return {};
  for (const auto& f : kFormatNames) {
    if (f.format == format) {
      // U+00D7 MULTIPLICATION SIGN in UTF-8.
      return std::to_string(size.width) + " \xC3\x97 " + std::to_string(size.height) + " " + f.name;
    }
  }
  return {};
}
