#include "image/Jpeg2000.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "support/ByteReader.h"

namespace {

constexpr std::uint8_t kJp2Signature[12] = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
constexpr std::uint32_t kCodestreamStart = 0xFF4FFF51;  // SOC, then the SIZ marker

// Where OpenJPEG reads the codestream. A JP2 file's top-level boxes are
// walked as OpenJPEG walks them (a length of 1: a 64-bit length follows,
// whose high half must be 0; a length of 0: the rest of the file) up to the
// first codestream box ('jp2c'), whose content OpenJPEG reads on to the
// end of the file whatever the box's length says. A palette ('pclr', inside
// the header box or misplaced after it) in front of it refuses the file:
// OpenJPEG would expand it after decoding into up to 255 full-size
// components. Empty when there is no codestream box.
struct Codestream {
  ByteSpan bytes;
  bool wrapped = false;  // in a JP2 file
};

Codestream FindCodestream(ByteSpan bytes) {
  if (bytes.size() < sizeof kJp2Signature || std::memcmp(bytes.data(), kJp2Signature, sizeof kJp2Signature) != 0) {
    return {bytes, false};
  }
  ByteReader r(bytes);
  for (std::size_t at = 0; AddSizesValid(at, 8, bytes.size());) {
    std::uint64_t length = r.u32beAt(at);
    std::size_t header = 8;
    if (length == 0) {
      length = bytes.size() - at;
    } else if (length == 1) {
      if (r.u32beAt(at + 8) != 0) return {};
      length = r.u32beAt(at + 12);
      header = 16;
    }
    if (!r.ok() || length < header) return {};
    if (r.textAt(at + 4, 4) == "jp2c") {
      if (AsText(bytes.first(at)).find("pclr") != std::string_view::npos) return {};
      return {bytes.subspan(at + header), true};
    }
    if (!AddSizesValid(at, length, bytes.size())) return {};
    at += static_cast<std::size_t>(length);
  }
  return {};
}

// The codestream's SIZ segment: the image area on the reference grid, the
// tile grid, and each component's precision and subsampling.
struct Siz {
  std::uint32_t width = 0, height = 0;
  std::uint64_t tiles = 0;  // 0: a tile grid that does not cover the image
  std::uint32_t components = 0;
  bool plainComponents = true;  // each full size, of a precision we map
};

std::optional<Siz> ReadSiz(ByteSpan codestream) {
  ByteReader r(codestream);
  if (r.u32beAt(0) != kCodestreamStart) return std::nullopt;
  const std::uint32_t x1 = r.u32beAt(8), y1 = r.u32beAt(12), x0 = r.u32beAt(16), y0 = r.u32beAt(20);
  const std::uint32_t tileWidth = r.u32beAt(24), tileHeight = r.u32beAt(28);
  const std::uint32_t tileX0 = r.u32beAt(32), tileY0 = r.u32beAt(36);
  Siz siz;
  siz.components = r.u16beAt(40);
  if (!r.ok() || x1 <= x0 || y1 <= y0) return std::nullopt;
  siz.width = x1 - x0;
  siz.height = y1 - y0;
  // The first tile starts at or before the image and reaches into it.
  if (tileWidth > 0 && tileHeight > 0 && tileX0 <= x0 && tileY0 <= y0 &&
      std::uint64_t(tileX0) + tileWidth > x0 && std::uint64_t(tileY0) + tileHeight > y0) {
    siz.tiles = ((std::uint64_t(x1) - tileX0 + tileWidth - 1) / tileWidth) *
                ((std::uint64_t(y1) - tileY0 + tileHeight - 1) / tileHeight);
  }
  for (std::uint32_t c = 0; c < std::min(siz.components, kMaxJpeg2000Components); ++c) {
    const std::size_t at = 42 + 3 * c;
    const std::uint32_t precision = (r.u8At(at) & 0x7Fu) + 1;  // the top bit: signed
    siz.plainComponents &= precision <= kMaxJpeg2000Precision && r.u8At(at + 1) == 1 && r.u8At(at + 2) == 1;
  }
  if (!r.ok()) return std::nullopt;
  return siz;
}

bool WithinLimits(const Siz& siz) {
  return siz.width <= kMaxJpeg2000Side && siz.height <= kMaxJpeg2000Side && siz.tiles >= 1 &&
         siz.tiles <= kMaxJpeg2000Tiles && siz.components >= 1 && siz.components <= kMaxJpeg2000Components &&
         siz.plainComponents;
}

// OpenJPEG reads through callbacks; these serve it the bytes in memory.
struct MemorySource {
  ByteSpan bytes;
  std::size_t at = 0;
};

OPJ_SIZE_T ReadSource(void* buffer, OPJ_SIZE_T count, void* user) {
  auto* source = static_cast<MemorySource*>(user);
  const std::size_t n = std::min<std::size_t>(count, source->bytes.size() - source->at);
  if (n == 0) return static_cast<OPJ_SIZE_T>(-1);  // OpenJPEG's "end of stream"
  std::memcpy(buffer, source->bytes.data() + source->at, n);
  source->at += n;
  return n;
}

// OpenJPEG skips forward only, and checks the length it was given first;
// a skip that cannot move at all is its "end of stream".
OPJ_OFF_T SkipSource(OPJ_OFF_T count, void* user) {
  auto* source = static_cast<MemorySource*>(user);
  const std::size_t n = count < 0 ? 0 : std::min<std::uint64_t>(std::uint64_t(count), source->bytes.size() - source->at);
  if (n == 0) return -1;
  source->at += n;
  return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL SeekSource(OPJ_OFF_T to, void* user) {
  auto* source = static_cast<MemorySource*>(user);
  if (to < 0 || std::uint64_t(to) > source->bytes.size()) return OPJ_FALSE;
  source->at = static_cast<std::size_t>(to);
  return OPJ_TRUE;
}

// Damaged icons are expected; OpenJPEG's messages would go to the console.
void Quiet(const char*, void*) {}

// One deleter each: OpenJPEG's codec and stream handles are the same type.
struct CodecFree {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamFree {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageFree {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecFree>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamFree>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageFree>;

// OpenJPEG's stream buffer; icon codestreams are a few hundred kilobytes.
constexpr OPJ_SIZE_T kStreamBuffer = 64 * 1024;

StreamPtr OpenSource(MemorySource& source) {
  StreamPtr stream(opj_stream_create(kStreamBuffer, OPJ_TRUE));
  if (!stream) return nullptr;
  opj_stream_set_user_data(stream.get(), &source, nullptr);
  // The length lets OpenJPEG refuse a box longer than what is left before
  // allocating for it.
  opj_stream_set_user_data_length(stream.get(), source.bytes.size());
  opj_stream_set_read_function(stream.get(), ReadSource);
  opj_stream_set_skip_function(stream.get(), SkipSource);
  opj_stream_set_seek_function(stream.get(), SeekSource);
  return stream;
}

CodecPtr OpenCodec(bool wrapped) {
  CodecPtr codec(opj_create_decompress(wrapped ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return nullptr;
  opj_set_info_handler(codec.get(), Quiet, nullptr);
  opj_set_warning_handler(codec.get(), Quiet, nullptr);
  opj_set_error_handler(codec.get(), Quiet, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.get(), &parameters)) return nullptr;
  return codec;
}

// One component's samples scaled to 8 bits: signed ones shifted by half
// their range, then v * 255 / (2^precision - 1), rounded.
struct Channel {
  const opj_image_comp_t* comp = nullptr;
  std::int64_t offset = 0, max = 0;

  std::uint8_t at(std::size_t i) const {
    const std::int64_t v = std::clamp<std::int64_t>(std::int64_t(comp->data[i]) + offset, 0, max);
    return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
  }
};

// The decoded components as RGBA: colour ones in order (one grey or three),
// then at most one alpha component, which OpenJPEG marks from a JP2 file's
// channel definitions; without any, a second or fourth component is alpha.
RgbaImage ToRgba(const opj_image_t& image, const Siz& siz) {
  if (image.numcomps < 1 || image.numcomps > kMaxJpeg2000Components) return {};
  if (image.color_space != OPJ_CLRSPC_UNKNOWN && image.color_space != OPJ_CLRSPC_UNSPECIFIED &&
      image.color_space != OPJ_CLRSPC_SRGB && image.color_space != OPJ_CLRSPC_GRAY) {
    return {};
  }
  bool marked = false;
  for (OPJ_UINT32 c = 0; c < image.numcomps; ++c) marked |= image.comps[c].alpha != 0;
  Channel colour[3], alpha;
  std::size_t colours = 0, alphas = 0;
  for (OPJ_UINT32 c = 0; c < image.numcomps; ++c) {
    const opj_image_comp_t& comp = image.comps[c];
    if (!comp.data || comp.w != siz.width || comp.h != siz.height || comp.dx != 1 || comp.dy != 1 ||
        comp.prec < 1 || comp.prec > kMaxJpeg2000Precision) {
      return {};
    }
    const Channel channel{&comp, comp.sgnd ? std::int64_t(1) << (comp.prec - 1) : 0,
                          (std::int64_t(1) << comp.prec) - 1};
    const bool isAlpha = marked ? comp.alpha != 0 : (image.numcomps == 2 || image.numcomps == 4) && c + 1 == image.numcomps;
    if (isAlpha) {
      if (alphas++ > 0) return {};
      alpha = channel;
    } else {
      if (colours == 3) return {};
      colour[colours++] = channel;
    }
  }
  if (colours != 1 && colours != 3) return {};
  RgbaImage out;
  out.width = static_cast<int>(siz.width);
  out.height = static_cast<int>(siz.height);
  const std::size_t count = std::size_t(siz.width) * siz.height;
  out.pixels.resize(count * 4);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* p = &out.pixels[i * 4];
    for (std::size_t k = 0; k < 3; ++k) p[k] = colour[colours == 3 ? k : 0].at(i);
    p[3] = alphas ? alpha.at(i) : 0xFF;
  }
  return out;
}

}  // namespace

bool HasJpeg2000Signature(ByteSpan bytes) {
  return (bytes.size() >= sizeof kJp2Signature && std::memcmp(bytes.data(), kJp2Signature, sizeof kJp2Signature) == 0) ||
         ByteReader(bytes).u32beAt(0) == kCodestreamStart;
}

ImageSize ProbeJpeg2000Size(ByteSpan bytes) {
  if (!HasJpeg2000Signature(bytes)) return {};
  const std::optional<Siz> siz = ReadSiz(FindCodestream(bytes).bytes);
  return siz ? ImageSize{siz->width, siz->height} : ImageSize{};
}

RgbaImage DecodeJpeg2000(ByteSpan bytes) {
  if (!HasJpeg2000Signature(bytes)) return {};
  const Codestream codestream = FindCodestream(bytes);
  // Checked before OpenJPEG sees a byte: reading the header already sets
  // aside memory for every tile.
  const std::optional<Siz> siz = ReadSiz(codestream.bytes);
  if (!siz || !WithinLimits(*siz)) return {};

  MemorySource source{bytes};
  const StreamPtr stream = OpenSource(source);
  const CodecPtr codec = OpenCodec(codestream.wrapped);
  if (!stream || !codec) return {};
  opj_image_t* header = nullptr;
  const bool read = opj_read_header(stream.get(), codec.get(), &header);
  const ImagePtr image(header);
  // OpenJPEG must have read the very header checked above.
  if (!read || !image || image->x1 - image->x0 != siz->width || image->y1 - image->y0 != siz->height ||
      image->numcomps != siz->components) {
    return {};
  }
  if (!opj_decode(codec.get(), stream.get(), image.get())) return {};
  return ToRgba(*image, *siz);
}
