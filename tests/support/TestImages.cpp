#include "tests/support/TestImages.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace {

int Channels(int colourType) { return colourType == 6 ? 4 : 3; }

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Applies one PNG row filter to every row of tightly packed channel bytes.
Bytes FilterRows(const Bytes& rows, int width, int height, int channels, int filter) {
  const std::size_t stride = static_cast<std::size_t>(width) * channels;
  Bytes out;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* cur = rows.data() + y * stride;
    const std::uint8_t* prev = y > 0 ? cur - stride : nullptr;
    out.push_back(static_cast<std::uint8_t>(filter));
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<std::size_t>(channels) ? cur[i - channels] : 0;
      const int b = prev ? prev[i] : 0;
      const int c = prev && i >= static_cast<std::size_t>(channels) ? prev[i - channels] : 0;
      int predicted = 0;
      switch (filter) {
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) / 2; break;
        case 4: predicted = Paeth(a, b, c); break;
      }
      out.push_back(static_cast<std::uint8_t>(cur[i] - predicted));
    }
  }
  return out;
}

Bytes Compress(const Bytes& data, int windowBits) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

Bytes Header(const RgbaImage& image, int colourType) {
  Bytes ihdr;
  PutU32be(ihdr, static_cast<std::uint32_t>(image.width));
  PutU32be(ihdr, static_cast<std::uint32_t>(image.height));
  ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(colourType), 0, 0, 0});
  return ihdr;
}

const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};


Bytes IcoWrap(ByteSpan image, const RgbaImage& size, int bitCount) {
  Bytes out;
  PutU16le(out, 0);
  PutU16le(out, 1);
  PutU16le(out, 1);
  out.push_back(static_cast<std::uint8_t>(size.width >= 256 ? 0 : size.width));
  out.push_back(static_cast<std::uint8_t>(size.height >= 256 ? 0 : size.height));
  out.push_back(0);
  out.push_back(0);
  PutU16le(out, 1);
  PutU16le(out, static_cast<std::uint16_t>(bitCount));
  PutU32le(out, static_cast<std::uint32_t>(image.size()));
  PutU32le(out, 22);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace

void PutPngChunk(Bytes& out, const char* type, ByteSpan data) {
  PutU32be(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32be(out, static_cast<std::uint32_t>(crc32(0, out.data() + at, static_cast<uInt>(4 + data.size()))));
}

RgbaImage TestPattern(int width, int height) {
  RgbaImage image{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.pixels.push_back(static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1)));
      image.pixels.push_back(static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1)));
      image.pixels.push_back(static_cast<std::uint8_t>((x * 7 + y * 13) & 255));
      image.pixels.push_back(static_cast<std::uint8_t>((x + y) % 5 == 0 ? 0 : (x * 31 + y * 17) & 255));
    }
  }
  return image;
}

RgbaImage SolidImage(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  RgbaImage image{width, height, {}};
  for (int i = 0; i < width * height; ++i) image.pixels.insert(image.pixels.end(), {r, g, b, a});
  return image;
}

Bytes EncodePng(const RgbaImage& image, int colourType, int filter) {
  const int channels = Channels(colourType);
  Bytes rows;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    rows.insert(rows.end(), image.pixels.begin() + static_cast<std::ptrdiff_t>(i),
                image.pixels.begin() + static_cast<std::ptrdiff_t>(i + channels));
  }
  Bytes out(kSignature, kSignature + 8);
  PutPngChunk(out, "IHDR", Header(image, colourType));
  PutPngChunk(out, "IDAT", Compress(FilterRows(rows, image.width, image.height, channels, filter), MAX_WBITS));
  PutPngChunk(out, "IEND", {});
  return out;
}

Bytes CrushedPixelBytes(const RgbaImage& image, int colourType) {
  Bytes out;
  for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
    const std::uint8_t* p = &image.pixels[i];
    const unsigned a = colourType == 6 ? p[3] : 255;
    out.push_back(static_cast<std::uint8_t>(p[2] * a / 255));
    out.push_back(static_cast<std::uint8_t>(p[1] * a / 255));
    out.push_back(static_cast<std::uint8_t>(p[0] * a / 255));
    if (colourType == 6) out.push_back(static_cast<std::uint8_t>(a));
  }
  return out;
}

Bytes EncodeCgbi(const RgbaImage& image, int colourType, int filter, std::size_t idatPiece) {
  const Bytes stored = CrushedPixelBytes(image, colourType);
  const Bytes compressed =
      Compress(FilterRows(stored, image.width, image.height, Channels(colourType), filter), -MAX_WBITS);
  Bytes out(kSignature, kSignature + 8);
  const std::uint8_t cgbi[] = {0x50, 0x00, 0x20, 0x06};
  PutPngChunk(out, "CgBI", cgbi);
  PutPngChunk(out, "IHDR", Header(image, colourType));
  for (std::size_t at = 0; at < compressed.size(); at += idatPiece) {
    const std::size_t n = std::min(idatPiece, compressed.size() - at);
    PutPngChunk(out, "IDAT", ByteSpan(compressed).subspan(at, n));
  }
  PutPngChunk(out, "IEND", {});
  return out;
}

Bytes EncodeIcoBitmap(const RgbaImage& image, int bitCount) {
  const int w = image.width, h = image.height;
  Bytes dib;
  PutU32le(dib, 40);
  PutU32le(dib, static_cast<std::uint32_t>(w));
  PutU32le(dib, static_cast<std::uint32_t>(h * 2));
  PutU16le(dib, 1);
  PutU16le(dib, static_cast<std::uint16_t>(bitCount));
  for (int i = 0; i < 6; ++i) PutU32le(dib, 0);
  std::map<std::uint32_t, int> palette;
  auto colourOf = [&](int x, int y) {
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * w + x) * 4];
    return (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
  };
  if (bitCount <= 8) {
    std::vector<std::uint32_t> colours;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (palette.size() < (1u << bitCount) && palette.emplace(colourOf(x, y), static_cast<int>(colours.size())).second)
          colours.push_back(colourOf(x, y));
    for (std::size_t i = 0; i < (1u << bitCount); ++i) {
      const std::uint32_t c = i < colours.size() ? colours[i] : 0;
      dib.insert(dib.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16), 0});
    }
  }
  const std::size_t stride = ((static_cast<std::size_t>(w) * bitCount + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(stride, 0);
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * w + x) * 4];
      if (bitCount <= 8) {
        const auto found = palette.find(colourOf(x, y));
        const int index = found == palette.end() ? 0 : found->second;
        const std::size_t bit = static_cast<std::size_t>(x) * bitCount;
        row[bit / 8] |= static_cast<std::uint8_t>(index << (8 - bitCount - bit % 8));
      } else {
        std::uint8_t* q = &row[static_cast<std::size_t>(x) * (bitCount / 8)];
        q[0] = p[2];
        q[1] = p[1];
        q[2] = p[0];
        if (bitCount == 32) q[3] = p[3];
      }
    }
    dib.insert(dib.end(), row.begin(), row.end());
  }
  const std::size_t maskStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {
    Bytes row(maskStride, 0);
    for (int x = 0; x < w; ++x)
      if (image.pixels[(static_cast<std::size_t>(y) * w + x) * 4 + 3] < 128) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    dib.insert(dib.end(), row.begin(), row.end());
  }
  return IcoWrap(dib, image, bitCount);
}

Bytes EncodeIcoPng(const RgbaImage& image) { return IcoWrap(EncodePng(image), image, 32); }

Bytes CombineIcons(const std::vector<Bytes>& singles) {
  Bytes out{0, 0, 1, 0, static_cast<std::uint8_t>(singles.size()), 0};
  Bytes data;
  const std::size_t start = 6 + 16 * singles.size();
  for (const Bytes& one : singles) {
    const std::size_t offset = start + data.size();
    out.insert(out.end(), one.begin() + 6, one.begin() + 18);  // the entry up to its size
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(offset >> (8 * i)));
    data.insert(data.end(), one.begin() + 22, one.end());
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::uint32_t PixelArgb(const RgbaImage& image, int x, int y) {
  const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
  return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

bool ArgbNear(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) > tolerance) {
      return false;
    }
  }
  return true;
}
