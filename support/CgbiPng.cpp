#include "support/CgbiPng.h"

#include <zlib.h>

#include <cstring>
#include <string_view>

#include "support/ByteReader.h"
#include "support/RgbaImage.h"

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Compressed image data beyond this is not an icon.
constexpr std::size_t kMaxCompressedBytes = 64u << 20;

struct Header {
  std::uint32_t width = 0, height = 0;
  std::uint8_t bitDepth = 0, colourType = 0, interlace = 0;
};

struct Chunk {
  std::string_view type;
  ByteSpan data;
};

bool HasSignature(ByteSpan bytes) {
  return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0;
}

// Reads the chunk at the reader's position; false at the end or on damage.
bool ReadChunk(ByteReader& r, Chunk& chunk) {
  const std::uint32_t length = r.u32be();
  const ByteSpan type = r.take(4);
  chunk.data = r.take(length);
  r.skip(4);  // CRC: recomputed on output
  if (!r.ok()) return false;
  chunk.type = {reinterpret_cast<const char*>(type.data()), 4};
  return true;
}

int Channels(std::uint8_t colourType) {
  switch (colourType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
  }
  return 0;
}

bool ReadHeader(ByteSpan data, Header& h) {
  ByteReader r(data);
  h.width = r.u32be();
  h.height = r.u32be();
  h.bitDepth = r.u8();
  h.colourType = r.u8();
  const std::uint8_t compression = r.u8(), filter = r.u8();
  h.interlace = r.u8();
  return r.ok() && ImageSizeAllowed(h.width, h.height) && Channels(h.colourType) != 0 &&
         (h.bitDepth == 1 || h.bitDepth == 2 || h.bitDepth == 4 || h.bitDepth == 8 || h.bitDepth == 16) &&
         compression == 0 && filter == 0 && h.interlace <= 1;
}

std::size_t FilteredRowsSize(std::uint32_t width, std::uint32_t height, const Header& h) {
  if (width == 0 || height == 0) return 0;
  const std::size_t rowBytes = (std::size_t{width} * Channels(h.colourType) * h.bitDepth + 7) / 8;
  return std::size_t{height} * (1 + rowBytes);
}

// Size of the decompressed image data: every row with its filter byte, for
// each of the seven passes when the image is interlaced.
std::size_t RawImageSize(const Header& h) {
  if (h.interlace == 0) return FilteredRowsSize(h.width, h.height, h);
  static const std::uint32_t x0[] = {0, 4, 0, 2, 0, 1, 0}, dx[] = {8, 8, 4, 4, 2, 2, 1};
  static const std::uint32_t y0[] = {0, 0, 4, 0, 2, 0, 1}, dy[] = {8, 8, 8, 4, 4, 2, 2};
  std::size_t total = 0;
  for (int p = 0; p < 7; ++p) {
    const std::uint32_t w = h.width > x0[p] ? (h.width - x0[p] + dx[p] - 1) / dx[p] : 0;
    const std::uint32_t rows = h.height > y0[p] ? (h.height - y0[p] + dy[p] - 1) / dy[p] : 0;
    total += FilteredRowsSize(w, rows, h);
  }
  return total;
}

// Inflates exactly `size` bytes; raw deflate first (the crushed form), the
// zlib-wrapped form as a fallback.
Bytes Inflate(const Bytes& compressed, std::size_t size, int windowBits) {
  z_stream z{};
  if (inflateInit2(&z, windowBits) != Z_OK) return {};
  Bytes out(size);
  z.next_in = const_cast<Bytef*>(compressed.data());
  z.avail_in = static_cast<uInt>(compressed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  const bool complete = z.avail_out == 0 && (status == Z_STREAM_END || status == Z_BUF_ERROR || status == Z_OK);
  inflateEnd(&z);
  return complete ? out : Bytes{};
}

// Only ever decoded right away: fast compression is enough.
Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK) return {};
  out.resize(size);
  return out;
}

void PutU32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void PutChunk(Bytes& out, const char* type, ByteSpan data) {
  PutU32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + typeAt, static_cast<uInt>(4 + data.size()))));
}

}  // namespace

bool IsCgbiPng(ByteSpan bytes) {
  return HasSignature(bytes) && bytes.size() >= 16 && std::memcmp(bytes.data() + 12, "CgBI", 4) == 0;
}

Bytes NormalizeCgbiPng(ByteSpan bytes) {
  if (!IsCgbiPng(bytes)) return {};
  ByteReader r(bytes, 8);
  Header header;
  ByteSpan headerData, palette, transparency;
  Bytes compressed;
  bool ended = false;
  for (Chunk c; !ended && ReadChunk(r, c);) {
    if (c.type == "IHDR") {
      if (!ReadHeader(c.data, header)) return {};
      headerData = c.data;
    } else if (c.type == "PLTE") {
      palette = c.data;
    } else if (c.type == "tRNS") {
      transparency = c.data;
    } else if (c.type == "IDAT") {
      if (c.data.size() > kMaxCompressedBytes - compressed.size()) return {};
      compressed.insert(compressed.end(), c.data.begin(), c.data.end());
    } else if (c.type == "IEND") {
      ended = true;
    }
  }
  if (headerData.empty() || compressed.empty()) return {};
  const std::size_t rawSize = RawImageSize(header);
  Bytes raw = Inflate(compressed, rawSize, -MAX_WBITS);
  if (raw.empty()) raw = Inflate(compressed, rawSize, MAX_WBITS);
  if (raw.empty()) return {};
  const Bytes idat = Deflate(raw);
  if (idat.empty()) return {};

  Bytes out(kSignature, kSignature + 8);
  PutChunk(out, "IHDR", headerData);
  if (!palette.empty()) PutChunk(out, "PLTE", palette);
  if (!transparency.empty()) PutChunk(out, "tRNS", transparency);
  PutChunk(out, "IDAT", idat);
  PutChunk(out, "IEND", {});
  return out;
}
