#include "image/Resize.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace {

// The source pixels that make up each of `to` output pixels along one axis,
// with the share of each: a box when shrinking, the nearest when growing.
struct Span {
  int first = 0;
  std::vector<double> weights;
};

std::vector<Span> AxisSpans(int from, int to) {
  std::vector<Span> spans(static_cast<std::size_t>(to));
  const double step = double(from) / to;
  for (int i = 0; i < to; ++i) {
    Span& s = spans[std::size_t(i)];
    if (step <= 1) {
      s.first = std::min(from - 1, int((i + 0.5) * step));
      s.weights = {1.0};
      continue;
    }
    const double start = i * step, end = std::min(double(from), (i + 1) * step);
    s.first = int(start);
    for (int x = s.first; x < from && x < end; ++x) {
      s.weights.push_back((std::min(end, x + 1.0) - std::max(start, double(x))) / step);
    }
  }
  return spans;
}

}  // namespace

RgbaImage ResizeImage(const RgbaImage& image, int width, int height) {
  if (image.empty() || width < 1 || height < 1 || image.pixels.size() != std::size_t(image.width) * image.height * 4) {
    return {};
  }
  RgbaImage out{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4)};
  const std::vector<Span> columns = AxisSpans(image.width, width), rows = AxisSpans(image.height, height);
  for (int y = 0; y < height; ++y) {
    const Span& row = rows[std::size_t(y)];
    for (int x = 0; x < width; ++x) {
      const Span& column = columns[std::size_t(x)];
      double sum[4] = {};
      for (std::size_t j = 0; j < row.weights.size(); ++j) {
        for (std::size_t i = 0; i < column.weights.size(); ++i) {
          const std::uint8_t* p =
              &image.pixels[(std::size_t(row.first) + j) * image.width * 4 + (std::size_t(column.first) + i) * 4];
          const double w = row.weights[j] * column.weights[i], a = p[3] * w;
          for (int c = 0; c < 3; ++c) sum[c] += p[c] * a;
          sum[3] += a;
        }
      }
      std::uint8_t* o = &out.pixels[(std::size_t(y) * width + x) * 4];
      for (int c = 0; c < 3; ++c) o[c] = sum[3] > 0 ? std::uint8_t(std::clamp(std::lround(sum[c] / sum[3]), 0L, 255L)) : 0;
      o[3] = std::uint8_t(std::clamp(std::lround(sum[3]), 0L, 255L));
    }
  }
  return out;
}

FittedRect FitCentred(int width, int height, int boxWidth, int boxHeight) {
  if (width < 1 || height < 1 || boxWidth < 1 || boxHeight < 1) return {};
  // The larger of the two scales that fit, computed in integers.
  FittedRect r;
  if (std::int64_t{width} * boxHeight >= std::int64_t{height} * boxWidth) {
    r.width = boxWidth;
    r.height = std::max(1, int((std::int64_t{height} * boxWidth + width / 2) / width));
  } else {
    r.height = boxHeight;
    r.width = std::max(1, int((std::int64_t{width} * boxHeight + height / 2) / height));
  }
  r.x = (boxWidth - r.width) / 2;
  r.y = (boxHeight - r.height) / 2;
  return r;
}
