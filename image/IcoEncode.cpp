#include "image/IcoEncode.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kHeaderSize = 6, kEntrySize = 16;

// Source pixel ranges that make up each of `to` output pixels, with the
// share of each source pixel: a box filter over `from` pixels.
struct Span {
  int first = 0;
  std::vector<double> weights;
};

std::vector<Span> BoxSpans(int from, int to) {
  std::vector<Span> spans(static_cast<std::size_t>(to));
  const double step = double(from) / to;
  for (int i = 0; i < to; ++i) {
    const double start = i * step, end = std::min(double(from), (i + 1) * step);
    Span& s = spans[std::size_t(i)];
    s.first = int(start);
    for (int x = s.first; x < from && x < end; ++x) {
      s.weights.push_back((std::min(end, x + 1.0) - std::max(start, double(x))) / step);
    }
  }
  return spans;
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
  const int width = longer <= maxSide ? image.width : std::max(1, int(std::lround(double(image.width) * maxSide / longer)));
  const int height = longer <= maxSide ? image.height : std::max(1, int(std::lround(double(image.height) * maxSide / longer)));
  const int side = std::max(width, height);
  RgbaImage out{side, side, std::vector<std::uint8_t>(std::size_t(side) * side * 4, 0)};
  const std::vector<Span> columns = BoxSpans(image.width, width), rows = BoxSpans(image.height, height);
  const int left = (side - width) / 2, top = (side - height) / 2;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double sum[4] = {};
      const Span &row = rows[std::size_t(y)], &column = columns[std::size_t(x)];
      for (std::size_t j = 0; j < row.weights.size(); ++j) {
        for (std::size_t i = 0; i < column.weights.size(); ++i) {
          const std::uint8_t* p = &image.pixels[(std::size_t(row.first + int(j)) * image.width + column.first + int(i)) * 4];
          const double w = row.weights[j] * column.weights[i], a = p[3] * w;
          for (int c = 0; c < 3; ++c) sum[c] += p[c] * a;
          sum[3] += a;
        }
      }
      std::uint8_t* o = &out.pixels[(std::size_t(top + y) * side + left + x) * 4];
      for (int c = 0; c < 3; ++c) o[c] = sum[3] > 0 ? std::uint8_t(std::clamp(std::lround(sum[c] / sum[3]), 0L, 255L)) : 0;
      o[3] = std::uint8_t(std::clamp(std::lround(sum[3]), 0L, 255L));
    }
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
