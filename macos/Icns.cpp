#include "macos/Icns.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "image/IcoEncode.h"
#include "image/ImageFormat.h"
#include "image/Jpeg2000.h"
#include "image/PngDecode.h"
#include "image/PngEncode.h"
#include "image/RgbaImage.h"
#include "support/ByteReader.h"

namespace {

struct Entry {
  std::string_view type;
  ByteSpan data;
};

// Classic entries: the image, its side, and the mask that goes with it.
struct Classic {
  std::string_view image, mask;
  int side;
  std::size_t skip;  // it32 starts with four zero bytes
};
constexpr Classic kClassic[] = {
    {"it32", "t8mk", 128, 4}, {"ih32", "h8mk", 48, 0}, {"il32", "l8mk", 32, 0}, {"is32", "s8mk", 16, 0}};

// Entries that may hold a PNG (or JPEG 2000, or ARGB for ic04/ic05).
constexpr std::string_view kEncoded[] = {"ic07", "ic08", "ic09", "ic10", "ic11", "ic12",
                                         "ic13", "ic14", "icp4", "icp5", "icp6", "ic04", "ic05"};

// Unpacks one channel of Apple's run-length coding into every fourth byte
// of out (from offset): a byte below 0x80 copies that many plus one bytes,
// one above repeats the next byte that many minus 125 times. False when
// the data runs out or a run overshoots the channel.
bool UnpackChannel(ByteReader& r, std::uint8_t* out, std::size_t count) {
  std::size_t filled = 0;
  while (filled < count) {
    const std::uint8_t code = r.u8();
    if (!r.ok()) return false;
    if (code & 0x80) {
      const std::size_t run = code - 125u;
      const std::uint8_t value = r.u8();
      if (!r.ok() || run > count - filled) return false;
      for (std::size_t i = 0; i < run; ++i) out[(filled++) * 4] = value;
    } else {
      const std::size_t run = code + 1u;
      const ByteSpan values = run > count - filled ? ByteSpan() : r.take(run);
      if (!r.ok() || values.empty()) return false;
      for (const std::uint8_t value : values) out[(filled++) * 4] = value;
    }
  }
  return true;
}

// RGB channels one after the other, each run-length coded; alpha from the
// mask (side x side bytes), else opaque.
RgbaImage DecodeClassic(ByteSpan data, ByteSpan mask, int side) {
  RgbaImage image;
  image.width = image.height = side;
  const std::size_t count = std::size_t(side) * side;
  image.pixels.assign(count * 4, 0xFF);
  // An uncompressed entry holds the three channels whole.
  if (data.size() == count * 3) {
    for (std::size_t c = 0; c < 3; ++c)
      for (std::size_t i = 0; i < count; ++i) image.pixels[i * 4 + c] = data[c * count + i];
  } else {
    ByteReader r(data);
    for (std::size_t c = 0; c < 3; ++c) {
      if (!UnpackChannel(r, image.pixels.data() + c, count)) return {};
    }
  }
  if (mask.size() == count) {
    for (std::size_t i = 0; i < count; ++i) image.pixels[i * 4 + 3] = mask[i];
  }
  return image;
}

// ic04/ic05 in ARGB form: "ARGB", then alpha, red, green, blue, each run-length coded.
RgbaImage DecodeArgb(ByteSpan data, int side) {
  RgbaImage image;
  image.width = image.height = side;
  const std::size_t count = std::size_t(side) * side;
  image.pixels.assign(count * 4, 0);
  ByteReader r(data, 4);
  for (const std::size_t channel : {3u, 0u, 1u, 2u}) {
    if (!UnpackChannel(r, image.pixels.data() + channel, count)) return {};
  }
  return image;
}

// An entry that may become the icon, ranked by the size its header gives.
enum class Form { Png, Jpeg2000, Argb, Classic };
struct Candidate {
  std::uint32_t width = 0, height = 0;  // as its header gives them
  Form form = Form::Png;  // a PNG entry is taken byte for byte
  ByteSpan data, mask;  // the mask of a classic entry
  int side = 0;  // of an ARGB or classic entry
  std::uint64_t area() const { return std::uint64_t(width) * height; }
};

// The candidate as a PNG; empty when its data does not decode. A PNG's or
// JPEG 2000 codestream's header may claim any size, so it counts only when
// the whole image decodes within the image limits.
RgbaImage Decode(const Candidate& c) {
  switch (c.form) {
    case Form::Jpeg2000: return DecodeJpeg2000(c.data);
    case Form::Argb: return DecodeArgb(c.data, c.side);
    default: return DecodeClassic(c.data, c.mask, c.side);
  }
}

Bytes Render(const Candidate& c) {
  if (c.form == Form::Png) return DecodePng(c.data).empty() ? Bytes() : Bytes(c.data.begin(), c.data.end());
  const RgbaImage image = Decode(c);
  return image.pixels.empty() ? Bytes() : WritePng(image);
}

// The entries, in order, up to the first whose length lies.
std::vector<Entry> ReadEntries(ByteSpan icns) {
  ByteReader r(icns);
  const std::size_t total = std::min<std::size_t>(r.u32beAt(4), icns.size());
  std::vector<Entry> entries;
  for (std::size_t at = 8; AddSizesValid(at, 8, total);) {
    const std::uint32_t length = r.u32beAt(at + 4);
    if (length < 8 || !AddSizesValid(at, length, total)) break;  // a lying length ends the list
    entries.push_back({r.textAt(at, 4), r.bytesAt(at + 8, length - 8)});
    at += length;
  }
  return entries;
}

// Every entry that may give an image, in the order ties are settled: the
// PNG and ARGB entries in file order, then the classic ones largest first.
std::vector<Candidate> Candidates(const std::vector<Entry>& entries) {
  const auto find = [&](std::string_view type) -> const Entry* {
    for (const Entry& e : entries) {
      if (e.type == type) return &e;
    }
    return nullptr;
  };
  std::vector<Candidate> candidates;
  for (const Entry& e : entries) {
    const bool encoded = std::find(std::begin(kEncoded), std::end(kEncoded), e.type) != std::end(kEncoded);
    if (encoded && SniffImageFormat(e.data) == ImageFormat::Png) {
      const ImageSize size = ProbeImageSize(e.data);
      if (size.width > 0 && size.height > 0) candidates.push_back({size.width, size.height, Form::Png, e.data, {}, 0});
    } else if (encoded && HasJpeg2000Signature(e.data)) {
      const ImageSize size = ProbeJpeg2000Size(e.data);
      if (size.width > 0 && size.height > 0) {
        candidates.push_back({size.width, size.height, Form::Jpeg2000, e.data, {}, 0});
      }
    } else if ((e.type == "ic04" || e.type == "ic05") && e.data.size() >= 4 && AsText(e.data.first(4)) == "ARGB") {
      const int side = e.type == "ic04" ? 16 : 32;
      candidates.push_back({std::uint32_t(side), std::uint32_t(side), Form::Argb, e.data, {}, side});
    }
  }
  for (const Classic& c : kClassic) {
    const Entry* image = find(c.image);
    if (!image || image->data.size() < c.skip) continue;
    const Entry* mask = find(c.mask);
    candidates.push_back({std::uint32_t(c.side), std::uint32_t(c.side), Form::Classic, image->data.subspan(c.skip),
                          mask ? mask->data : ByteSpan(), c.side});
  }
  return candidates;
}

// The candidates of a set in the order they are tried: largest first, a
// PNG before another form of the same size, else in turn. The first that
// decodes wins, so an entry that lies about its size or does not decode
// never hides a good one. None for what is no icon set.
std::vector<Candidate> RankedCandidates(ByteSpan icns) {
  if (icns.size() < 8 || icns.size() > kMaxIcnsBytes || AsText(icns.first(4)) != "icns") return {};
  std::vector<Candidate> candidates = Candidates(ReadEntries(icns));
  std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    return a.area() != b.area() ? a.area() > b.area() : a.form == Form::Png && b.form != Form::Png;
  });
  return candidates;
}

}  // namespace

Bytes IcnsLargestImage(ByteSpan icns) {
  for (const Candidate& c : RankedCandidates(icns)) {
    Bytes png = Render(c);
    if (!png.empty()) return png;
  }
  return {};
}

Bytes IcnsIconGroup(ByteSpan icns) {
  std::vector<Candidate> shown;
  std::vector<Bytes> pngs;
  for (const Candidate& c : RankedCandidates(icns)) {
    // A set often holds one size twice (ic13, 256 pixels for 128 points at
    // twice the density, beside ic08): the first that decodes stands for it.
    const bool seen = std::any_of(shown.begin(), shown.end(), [&c](const Candidate& s) {
      return s.width == c.width && s.height == c.height;
    });
    if (seen) continue;
    Bytes png = Render(c);
    if (png.empty()) continue;
    shown.push_back(c);
    pngs.push_back(std::move(png));
  }
  return PngIconGroup(std::vector<ByteSpan>(pngs.begin(), pngs.end()));
}
