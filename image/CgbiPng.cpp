#include "image/CgbiPng.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "image/ImageFormat.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "image/RgbaImage.h"
#include "support/ByteReader.h"

namespace {

// Compressed image data beyond this is not an icon.
constexpr std::size_t kMaxCompressedBytes = 64u << 20;
// Deflate at its best codes a 258-byte match in two bits, so no stream
// inflates to more than 1032 times its size. A header declaring more than the
// data can hold is refused before anything is inflated.
constexpr std::size_t kMaxDeflateRatio = 1032;
// Inflated data is handed on in blocks of this size and never held whole.
constexpr std::size_t kBlockBytes = 64u << 10;

struct Header {
  std::uint32_t width = 0, height = 0;
  std::uint8_t bitDepth = 0, colourType = 0, interlace = 0;
};

struct Chunk {
  std::string_view type;
  ByteSpan data;
};

// A crushed file's parts, as views into its bytes.
struct CrushedImage {
  Header header;
  ByteSpan headerData, palette, transparency;
  std::vector<ByteSpan> idat;
  std::size_t rawSize = 0;  // the image data once inflated
};

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

// Collects the parts of a crushed file without copying or inflating
// anything; false when it is not one, is damaged, or declares an image its
// compressed data cannot hold.
bool ReadCrushed(ByteSpan bytes, CrushedImage& image) {
  if (!IsCgbiPng(bytes)) return false;
  ByteReader r(bytes, 8);
  std::size_t compressedSize = 0;
  bool ended = false;
  for (Chunk c; !ended && ReadChunk(r, c);) {
    if (c.type == "IHDR") {
      if (!ReadHeader(c.data, image.header)) return false;
      image.headerData = c.data;
    } else if (c.type == "PLTE") {
      image.palette = c.data;
    } else if (c.type == "tRNS") {
      image.transparency = c.data;
    } else if (c.type == "IDAT") {
      if (c.data.size() > kMaxCompressedBytes - compressedSize) return false;
      compressedSize += c.data.size();
      image.idat.push_back(c.data);
    } else if (c.type == "IEND") {
      ended = true;
    }
  }
  if (image.headerData.empty() || compressedSize == 0) return false;
  image.rawSize = RawImageSize(image.header);
  return image.rawSize / kMaxDeflateRatio <= compressedSize;
}

// Inflates the image data, spread over the IDAT chunks, and hands it to
// take() in blocks of blockSize bytes (the last one may be shorter), so only
// one block is ever held. windowBits picks raw deflate or the zlib wrapper.
// True when exactly rawSize bytes came out and take() accepted every block;
// data beyond them is ignored.
template <typename Take>
bool InflateInBlocks(const CrushedImage& image, int windowBits, std::size_t blockSize, Take&& take) {
  z_stream z{};
  if (inflateInit2(&z, windowBits) != Z_OK) return false;
  Bytes block(std::min(blockSize, image.rawSize));
  std::size_t nextPiece = 0, left = image.rawSize;
  bool ok = true;
  while (ok && left > 0) {
    const std::size_t want = std::min(block.size(), left);
    z.next_out = block.data();
    z.avail_out = static_cast<uInt>(want);
    while (ok && z.avail_out > 0) {
      if (z.avail_in == 0) {
        if (nextPiece == image.idat.size()) { ok = false; break; }
        const ByteSpan piece = image.idat[nextPiece++];
        z.next_in = const_cast<Bytef*>(piece.data());
        z.avail_in = static_cast<uInt>(piece.size());
        continue;
      }
      // The stream may end only where the image does.
      const int status = inflate(&z, Z_NO_FLUSH);
      ok = status == Z_OK || (status == Z_STREAM_END && z.avail_out == 0);
    }
    ok = ok && take(ByteSpan(block.data(), want));
    left -= want;
  }
  inflateEnd(&z);
  return ok;
}

void PutChunk(Bytes& out, const char* type, ByteSpan data) {
  PutU32be(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32be(out, static_cast<std::uint32_t>(crc32(0, out.data() + typeAt, static_cast<uInt>(4 + data.size()))));
}

// One IDAT chunk at the end of a PNG being written, its data deflated
// straight into place as it is handed over; finish() fills in the length and
// appends the CRC. zlib's run-length strategy is made for filtered image
// data: almost as fast as Huffman coding alone, and it still shrinks runs.
class IdatWriter {
 public:
  explicit IdatWriter(Bytes& out) : out_(out), start_(out.size()), used_(out.size()) {
    ok_ = deflateInit2(&z_, Z_BEST_SPEED, Z_DEFLATED, MAX_WBITS, 8, Z_RLE) == Z_OK;
    started_ = ok_;
    PutU32be(out_, 0);
    out_.insert(out_.end(), {'I', 'D', 'A', 'T'});
    used_ = out_.size();
  }
  IdatWriter(const IdatWriter&) = delete;
  IdatWriter& operator=(const IdatWriter&) = delete;
  ~IdatWriter() {
    if (started_) deflateEnd(&z_);
  }

  bool write(ByteSpan data) { return run(data, Z_NO_FLUSH); }

  bool finish() {
    if (!run({}, Z_FINISH)) return false;
    out_.resize(used_);
    const std::size_t length = used_ - start_ - 8;
    if (length > 0x7FFFFFFF) return false;  // a PNG chunk holds at most 2^31 - 1 bytes
    for (int i = 0; i < 4; ++i) out_[start_ + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    PutU32be(out_, static_cast<std::uint32_t>(crc32(0, out_.data() + start_ + 4, static_cast<uInt>(4 + length))));
    return true;
  }

 private:
  bool run(ByteSpan data, int flush) {
    z_.next_in = const_cast<Bytef*>(data.data());
    z_.avail_in = static_cast<uInt>(data.size());
    while (ok_) {
      if (used_ == out_.size()) out_.resize(std::max(out_.size() * 2, used_ + kBlockBytes));
      const uInt room = static_cast<uInt>(std::min<std::size_t>(out_.size() - used_, UINT_MAX));
      z_.next_out = out_.data() + used_;
      z_.avail_out = room;
      const int status = deflate(&z_, flush);
      used_ += room - z_.avail_out;
      if (status == Z_STREAM_END) return true;
      ok_ = status == Z_OK || status == Z_BUF_ERROR;
      if (flush == Z_NO_FLUSH && z_.avail_in == 0) return ok_;
    }
    return false;
  }

  Bytes& out_;
  std::size_t start_, used_;  // where the chunk starts; how much of out_ is written
  z_stream z_{};
  bool ok_ = false, started_ = false;
};

// The Paeth predictor of the byte to the left (a), above (b) and above-left
// (c): whichever is nearest to a + b - c, ties going to a, then b.
inline int Paeth(int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  // Written as two selections the compiler makes without branches: on
  // image data the branches of the textbook form are mispredicted often.
  const int nearer = pb < pa ? b : a;
  return pc < std::min(pa, pb) ? c : nearer;
}

// Writes the crushed image as a standard PNG: its header and palette
// chunks, then its image data inflated in blocks of blockSize, each handed
// to a pass that newPass(idat) makes afresh for every attempt, and that
// writes what it makes of the block to idat. Raw deflate first (the crushed
// form), the zlib-wrapped form as a fallback. Empty bytes when neither
// inflates to the whole image or the pass refuses a block.
template <typename NewPass>
Bytes Rewrite(const CrushedImage& image, std::size_t blockSize, NewPass&& newPass) {
  for (const int windowBits : {-MAX_WBITS, MAX_WBITS}) {
    Bytes out(std::begin(kPngSignature), std::end(kPngSignature));
    PutChunk(out, "IHDR", image.headerData);
    if (!image.palette.empty()) PutChunk(out, "PLTE", image.palette);
    if (!image.transparency.empty()) PutChunk(out, "tRNS", image.transparency);
    IdatWriter idat(out);
    auto pass = newPass(idat);
    if (InflateInBlocks(image, windowBits, blockSize, pass) && idat.finish()) {
      PutChunk(out, "IEND", {});
      return out;
    }
  }
  return {};
}

// The straight colour of a premultiplied channel value at an alpha, rounded
// to the nearest; a premultiplied channel never exceeds its alpha, but
// damaged data may, hence the clamp. Wholly transparent pixels are black.
using StraightTable = std::array<std::array<std::uint8_t, 256>, 256>;  // [alpha][channel]

const StraightTable& Straight() {
  static const StraightTable table = [] {
    StraightTable t{};
    for (unsigned alpha = 1; alpha < 256; ++alpha) {
      for (unsigned c = 0; c < 256; ++c) t[alpha][c] = static_cast<std::uint8_t>(std::min(255u, (c * 255u + alpha / 2) / alpha));
    }
    return t;
  }();
  return table;
}

// The layouts crushed icons come in, 8-bit RGB or RGBA without interlacing
// or a transparent colour, are turned into true colours one row at a time as
// they are inflated: each row unfiltered, red and blue exchanged, the colours
// un-premultiplied, filtered again (Paeth: within a few per cent of the
// size the PNG encoder's adaptive filtering reaches on icons) and deflated. The image is never held whole.
bool TakenInOnePass(const CrushedImage& image) {
  const Header& h = image.header;
  return h.bitDepth == 8 && (h.colourType == 2 || h.colourType == 6) && h.interlace == 0 && image.transparency.empty();
}

class RowConverter {
 public:
  RowConverter(const Header& h, IdatWriter& idat)
      : idat_(idat), channels_(h.colourType == 6 ? 4 : 3), stride_(std::size_t{h.width} * channels_),
        stored_(2 * stride_), shown_(2 * stride_), filtered_(1 + stride_) {}

  // One filtered row, its filter type first.
  bool operator()(ByteSpan row) {
    if (row.size() != 1 + stride_ || row[0] > 4) return false;
    std::uint8_t* stored = stored_.data() + (rows_ % 2) * stride_;
    const std::uint8_t* storedAbove = stored_.data() + ((rows_ + 1) % 2) * stride_;
    std::uint8_t* shown = shown_.data() + (rows_ % 2) * stride_;
    const std::uint8_t* shownAbove = shown_.data() + ((rows_ + 1) % 2) * stride_;
    Unfilter(row[0], row.data() + 1, storedAbove, stored);
    Show(stored, shown);
    filtered_[0] = 4;  // Paeth
    const std::size_t bpp = channels_;
    for (std::size_t i = 0; i < bpp; ++i) filtered_[1 + i] = static_cast<std::uint8_t>(shown[i] - shownAbove[i]);
    for (std::size_t i = bpp; i < stride_; ++i) {
      filtered_[1 + i] = static_cast<std::uint8_t>(shown[i] - Paeth(shown[i - bpp], shownAbove[i], shownAbove[i - bpp]));
    }
    ++rows_;
    return idat_.write(filtered_);
  }

 private:
  // Above the first row the previous rows read as zero, which the buffers,
  // zeroed when made, hold until a row is written over them.
  void Unfilter(std::uint8_t filter, const std::uint8_t* in, const std::uint8_t* above, std::uint8_t* out) const {
    const std::size_t bpp = channels_;
    switch (filter) {
      case 0: std::memcpy(out, in, stride_); break;
      case 1:
        for (std::size_t i = 0; i < stride_; ++i) out[i] = static_cast<std::uint8_t>(in[i] + (i < bpp ? 0 : out[i - bpp]));
        break;
      case 2:
        for (std::size_t i = 0; i < stride_; ++i) out[i] = static_cast<std::uint8_t>(in[i] + above[i]);
        break;
      case 3:
        for (std::size_t i = 0; i < stride_; ++i) {
          out[i] = static_cast<std::uint8_t>(in[i] + ((i < bpp ? 0 : out[i - bpp]) + above[i]) / 2);
        }
        break;
      case 4:
        for (std::size_t i = 0; i < bpp; ++i) out[i] = static_cast<std::uint8_t>(in[i] + above[i]);
        for (std::size_t i = bpp; i < stride_; ++i) {
          out[i] = static_cast<std::uint8_t>(in[i] + Paeth(out[i - bpp], above[i], above[i - bpp]));
        }
        break;
    }
  }

  // Stored B, G, R(, A), premultiplied, as R, G, B(, A) straight.
  void Show(const std::uint8_t* stored, std::uint8_t* shown) const {
    if (channels_ == 3) {
      for (std::size_t i = 0; i < stride_; i += 3) {
        shown[i] = stored[i + 2];
        shown[i + 1] = stored[i + 1];
        shown[i + 2] = stored[i];
      }
      return;
    }
    const StraightTable& straight = Straight();
    for (std::size_t i = 0; i < stride_; i += 4) {
      const auto& at = straight[stored[i + 3]];
      shown[i] = at[stored[i + 2]];
      shown[i + 1] = at[stored[i + 1]];
      shown[i + 2] = at[stored[i]];
      shown[i + 3] = stored[i + 3];
    }
  }

  IdatWriter& idat_;
  std::size_t channels_, stride_, rows_ = 0;
  Bytes stored_, shown_;  // this row and the one above, each
  Bytes filtered_;
};

}  // namespace

bool IsCgbiPng(ByteSpan bytes) {
  return HasPngSignature(bytes) && bytes.size() >= 16 && std::memcmp(bytes.data() + 12, "CgBI", 4) == 0;
}

Bytes NormalizeCgbiPng(ByteSpan bytes) {
  CrushedImage image;
  if (!ReadCrushed(bytes, image)) return {};
  return Rewrite(image, kBlockBytes, [](IdatWriter& idat) { return [&idat](ByteSpan block) { return idat.write(block); }; });
}

Bytes CgbiToPng(ByteSpan bytes) {
  CrushedImage image;
  if (!ReadCrushed(bytes, image)) return {};
  if (TakenInOnePass(image)) {
    return Rewrite(image, FilteredRowsSize(image.header.width, 1, image.header), [&](IdatWriter& idat) { return RowConverter(image.header, idat); });
  }
  const Bytes normal = NormalizeCgbiPng(bytes);
  return normal.empty() ? Bytes() : CrushedPixelsToPng(normal);
}

Bytes CrushedPixelsToPng(ByteSpan storedOrderPng) {
  RgbaImage image = DecodePng(storedOrderPng);
  const StraightTable& straight = Straight();
  for (std::size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
    std::uint8_t* px = image.pixels.data() + i;
    const auto& at = straight[px[3]];
    const std::uint8_t blue = px[0];
    px[0] = at[px[2]];
    px[1] = at[px[1]];
    px[2] = at[blue];
  }
  return WritePng(image);
}
