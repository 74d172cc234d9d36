#include "draw/DrawingEffects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

// A blur's deviation in pixels is kept to this: wider than any picture a
// filter works on, so a wider one would only cost more.
constexpr double kMaxDeviation = 10000;

int WidthOf(cairo_surface_t* s) { return cairo_image_surface_get_width(s); }
int HeightOf(cairo_surface_t* s) { return cairo_image_surface_get_height(s); }

// Runs f on every pixel's premultiplied ARGB word, in place.
template <typename F>
void EachPixel(cairo_surface_t* picture, F f) {
  cairo_surface_flush(picture);
  unsigned char* data = cairo_image_surface_get_data(picture);
  const int width = WidthOf(picture), height = HeightOf(picture), stride = cairo_image_surface_get_stride(picture);
  if (!data) return;
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
    for (int x = 0; x < width; ++x) f(row[x], x, y);
  }
  cairo_surface_mark_dirty(picture);
}

std::uint32_t Channel(std::uint32_t v, int shift) { return (v >> shift) & 0xFF; }

std::uint32_t Byte(double fraction) { return std::uint32_t(std::clamp(fraction, 0.0, 1.0) * 255 + 0.5); }

SurfacePtr Shared(cairo_surface_t* picture) { return SurfacePtr(cairo_surface_reference(picture)); }

SurfacePtr Copy(cairo_surface_t* picture) {
  SurfacePtr out = NewPicture(WidthOf(picture), HeightOf(picture));
  if (!out) return nullptr;
  const CairoPtr cr(cairo_create(out.get()));
  cairo_set_source_surface(cr.get(), picture, 0, 0);
  cairo_paint(cr.get());
  return out;
}

// The table taking straight 8-bit sRGB values to linear RGB, or (linear
// false) back.
using ColourTable = std::array<std::uint8_t, 256>;
const ColourTable& TableTo(bool linear) {
  static const auto make = [](bool toLinear) {
    ColourTable table{};
    for (int i = 0; i < 256; ++i) {
      const double c = i / 255.0;
      const double v = toLinear ? (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4))
                                : (c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055);
      table[i] = std::uint8_t(Byte(v));
    }
    return table;
  };
  static const ColourTable toLinear = make(true), toSrgb = make(false);
  return linear ? toLinear : toSrgb;
}

// A premultiplied word's colour put through the table.
std::uint32_t MapColour(std::uint32_t v, const ColourTable& table) {
  const std::uint32_t a = v >> 24;
  if (a == 0) return 0;
  std::uint32_t out = a << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t straight = std::min(255u, (Channel(v, shift) * 255 + a / 2) / a);
    out |= ((table[straight] * a + 127) / 255) << shift;
  }
  return out;
}

// A step's result and the colour space its pixels are in.
struct Result {
  SurfacePtr picture;
  bool linear = false;
};

SurfacePtr InSpace(cairo_surface_t* picture, bool isLinear, bool linear) {
  if (isLinear == linear) return Shared(picture);
  SurfacePtr out = Copy(picture);
  if (!out) return nullptr;
  const ColourTable& table = TableTo(linear);
  EachPixel(out.get(), [&](std::uint32_t& v, int, int) { v = MapColour(v, table); });
  return out;
}

// --- blur ------------------------------------------------------------------

// Runs work(in, out, count) on each row (or column) of the picture, as
// channel bytes, four a pixel, the result in `out`. Lines are copied out
// 16 at a time, so a column's pixels come from rows read whole.
template <typename Work>
void EachLine(cairo_surface_t* picture, bool vertical, Work work) {
  constexpr int kBlock = 16;
  cairo_surface_flush(picture);
  unsigned char* data = cairo_image_surface_get_data(picture);
  if (!data) return;
  const std::size_t stride = std::size_t(cairo_image_surface_get_stride(picture));
  const int count = vertical ? HeightOf(picture) : WidthOf(picture), lines = vertical ? WidthOf(picture) : HeightOf(picture);
  const std::size_t step = vertical ? stride : 4, next = vertical ? 4 : stride, length = std::size_t(count) * 4;
  std::vector<std::uint8_t> block(kBlock * length), out(length);
  for (int first = 0; first < lines; first += kBlock) {
    const int n = std::min(kBlock, lines - first);
    for (int i = 0; i < count; ++i) {
      for (int k = 0; k < n; ++k) std::memcpy(&block[k * length + std::size_t(i) * 4], data + (first + k) * next + i * step, 4);
    }
    for (int k = 0; k < n; ++k) {
      work(&block[k * length], out.data(), count);
      std::memcpy(&block[k * length], out.data(), length);
    }
    for (int i = 0; i < count; ++i) {
      for (int k = 0; k < n; ++k) std::memcpy(data + (first + k) * next + i * step, &block[k * length + std::size_t(i) * 4], 4);
    }
  }
  cairo_surface_mark_dirty(picture);
}

// Each output the mean of `size` inputs, the first `before` ahead of it;
// transparent beyond the ends.
void BoxLine(const std::uint8_t* in, std::uint8_t* out, int count, int size, int before) {
  // The rounded mean, (sum + size / 2) / size, by a multiplication: a sum
  // short of a multiple of size is at least 1 / size short of it.
  const double inverse = 1.0 / size;
  int sum[4] = {0, 0, 0, 0};
  for (int i = std::max(0, -before); i < std::min(count, size - before); ++i) {
    for (int c = 0; c < 4; ++c) sum[c] += in[std::size_t(i) * 4 + c];
  }
  for (int i = 0; i < count; ++i) {
    for (int c = 0; c < 4; ++c) out[std::size_t(i) * 4 + c] = std::uint8_t((sum[c] + size / 2) * inverse + 1e-7);
    const int enter = i - before + size, leave = i - before;
    if (enter >= 0 && enter < count) {
      for (int c = 0; c < 4; ++c) sum[c] += in[std::size_t(enter) * 4 + c];
    }
    if (leave >= 0 && leave < count) {
      for (int c = 0; c < 4; ++c) sum[c] -= in[std::size_t(leave) * 4 + c];
    }
  }
}

void KernelLine(const std::uint8_t* in, std::uint8_t* out, int count, const std::vector<float>& weights) {
  const int radius = int(weights.size() / 2);
  for (int i = 0; i < count; ++i) {
    float sum[4] = {0, 0, 0, 0};
    for (int j = std::max(0, i - radius); j <= std::min(count - 1, i + radius); ++j) {
      const float w = weights[std::size_t(j - i + radius)];
      for (int c = 0; c < 4; ++c) sum[c] += w * in[std::size_t(j) * 4 + c];
    }
    for (int c = 0; c < 4; ++c) out[std::size_t(i) * 4 + c] = std::uint8_t(std::min(255.0f, sum[c] + 0.5f));
  }
}

// A Gaussian blur along one direction. From a deviation of 2 pixels on,
// three box blurs make it, as SVG describes (within about 3 %); below, the
// Gaussian itself, each weight its integral over the pixel.
void BlurAlong(cairo_surface_t* picture, double deviation, bool vertical) {
  deviation = std::min(deviation, kMaxDeviation);
  if (!(deviation > 0)) return;
  if (deviation >= 2) {
    const int d = int(std::floor(deviation * 3 * std::sqrt(2 * std::numbers::pi) / 4 + 0.5));
    // An odd d: three boxes of d centred on the pixel; an even one: two of
    // d centred on the pixel's left and right edges, and one of d + 1.
    const int boxes[3][2] = {{d, d / 2}, {d, d % 2 ? d / 2 : d / 2 - 1}, {d % 2 ? d : d + 1, d / 2}};
    std::vector<std::uint8_t> middle;
    EachLine(picture, vertical, [&](const std::uint8_t* in, std::uint8_t* out, int count) {
      middle.resize(std::size_t(count) * 4);
      BoxLine(in, out, count, boxes[0][0], boxes[0][1]);
      BoxLine(out, middle.data(), count, boxes[1][0], boxes[1][1]);
      BoxLine(middle.data(), out, count, boxes[2][0], boxes[2][1]);
    });
    return;
  }
  const int radius = int(deviation * 3 + 0.5);
  if (radius == 0) return;
  std::vector<float> weights(std::size_t(2 * radius + 1));
  double total = 0;
  for (int i = -radius; i <= radius; ++i) {
    const double scale = 1 / (deviation * std::sqrt(2.0));
    total += weights[std::size_t(i + radius)] = float(std::erf((i + 0.5) * scale) - std::erf((i - 0.5) * scale));
  }
  for (float& w : weights) w = float(w / total);
  EachLine(picture, vertical, [&](const std::uint8_t* in, std::uint8_t* out, int count) {
    KernelLine(in, out, count, weights);
  });
}

// --- steps -----------------------------------------------------------------

// Lays `top` over `bottom` (a copy of it) by a Porter-Duff operator.
SurfacePtr Composite(cairo_surface_t* top, cairo_surface_t* bottom, cairo_operator_t op) {
  SurfacePtr out = Copy(bottom);
  if (!out) return nullptr;
  const CairoPtr cr(cairo_create(out.get()));
  cairo_set_operator(cr.get(), op);
  cairo_set_source_surface(cr.get(), top, 0, 0);
  cairo_paint(cr.get());
  return out;
}

SurfacePtr Arithmetic(cairo_surface_t* first, cairo_surface_t* second, const float k[4]) {
  SurfacePtr out = Copy(first);
  if (!out) return nullptr;
  cairo_surface_flush(second);
  const unsigned char* data = cairo_image_surface_get_data(second);
  const int stride = cairo_image_surface_get_stride(second);
  EachPixel(out.get(), [&](std::uint32_t& v, int x, int y) {
    std::uint32_t w;
    std::memcpy(&w, data + std::size_t(y) * stride + std::size_t(x) * 4, 4);
    const auto mix = [&](int shift, double limit) {
      const double i1 = Channel(v, shift) / 255.0, i2 = Channel(w, shift) / 255.0;
      return std::min(Byte(k[0] * i1 * i2 + k[1] * i1 + k[2] * i2 + k[3]), Byte(limit));
    };
    const std::uint32_t a = mix(24, 1);
    v = a << 24 | mix(16, a / 255.0) << 16 | mix(8, a / 255.0) << 8 | mix(0, a / 255.0);
  });
  return out;
}

void ColourMatrix(cairo_surface_t* picture, const float m[20]) {
  EachPixel(picture, [&](std::uint32_t& v, int, int) {
    const double a = Channel(v, 24) / 255.0;
    const auto straight = [&](int shift) { return a > 0 ? Channel(v, shift) / 255.0 / a : 0.0; };
    const double in[5] = {straight(16), straight(8), straight(0), a, 1};
    double out[4];
    for (int row = 0; row < 4; ++row) {
      out[row] = 0;
      for (int i = 0; i < 5; ++i) out[row] += m[row * 5 + i] * in[i];
      out[row] = std::clamp(out[row], 0.0, 1.0);
    }
    v = Byte(out[3]) << 24 | Byte(out[0] * out[3]) << 16 | Byte(out[1] * out[3]) << 8 | Byte(out[2] * out[3]);
  });
}

cairo_operator_t PorterDuff(FilterStep::Operator op) {
  switch (op) {
    case FilterStep::Operator::In: return CAIRO_OPERATOR_IN;
    case FilterStep::Operator::Out: return CAIRO_OPERATOR_OUT;
    case FilterStep::Operator::Atop: return CAIRO_OPERATOR_ATOP;
    case FilterStep::Operator::Xor: return CAIRO_OPERATOR_XOR;
    case FilterStep::Operator::Over:
    case FilterStep::Operator::Arithmetic: break;
  }
  return CAIRO_OPERATOR_OVER;
}

// One step over its inputs (already in the step's colour space).
SurfacePtr RunStep(const FilterStep& step, const std::vector<SurfacePtr>& in, int width, int height,
                   const cairo_matrix_t& toDevice) {
  switch (step.kind) {
    case FilterStep::Kind::Blur: {
      SurfacePtr out = Copy(in[0].get());
      if (!out) return nullptr;
      // Each deviation along the group's axes, as the device sees them.
      BlurAlong(out.get(), std::hypot(toDevice.xx * step.dx, toDevice.xy * step.dy), false);
      BlurAlong(out.get(), std::hypot(toDevice.yx * step.dx, toDevice.yy * step.dy), true);
      return out;
    }
    case FilterStep::Kind::Offset: {
      SurfacePtr out = NewPicture(width, height);
      if (!out) return nullptr;
      double dx = step.dx, dy = step.dy;
      cairo_matrix_transform_distance(&toDevice, &dx, &dy);
      const CairoPtr cr(cairo_create(out.get()));
      cairo_set_source_surface(cr.get(), in[0].get(), std::clamp(dx, -1e5, 1e5), std::clamp(dy, -1e5, 1e5));
      cairo_paint(cr.get());
      return out;
    }
    case FilterStep::Kind::Flood: {
      SurfacePtr out = NewPicture(width, height);
      if (!out) return nullptr;
      const ColourTable& table = TableTo(step.linearRgb);
      const auto channel = [&](int shift) {
        const std::uint32_t c = Channel(step.argb, shift);
        return (step.linearRgb ? table[c] : c) / 255.0;
      };
      const CairoPtr cr(cairo_create(out.get()));
      cairo_set_source_rgba(cr.get(), channel(16), channel(8), channel(0), Channel(step.argb, 24) / 255.0);
      cairo_paint(cr.get());
      return out;
    }
    case FilterStep::Kind::Composite:
      if (step.op == FilterStep::Operator::Arithmetic) return Arithmetic(in[0].get(), in[1].get(), step.k);
      return Composite(in[0].get(), in[1].get(), PorterDuff(step.op));
    case FilterStep::Kind::Merge: {
      SurfacePtr out = NewPicture(width, height);
      if (!out) return nullptr;
      const CairoPtr cr(cairo_create(out.get()));
      for (const SurfacePtr& layer : in) {
        cairo_set_source_surface(cr.get(), layer.get(), 0, 0);
        cairo_paint(cr.get());
      }
      return out;
    }
    case FilterStep::Kind::ColorMatrix: {
      SurfacePtr out = Copy(in[0].get());
      if (out) ColourMatrix(out.get(), step.matrix);
      return out;
    }
  }
  return nullptr;
}

}  // namespace

bool FilterStepOk(const FilterStep& step, int index) {
  const std::size_t count = step.inputs.size();
  switch (step.kind) {
    case FilterStep::Kind::Flood: if (count != 0) return false; break;
    case FilterStep::Kind::Composite: if (count != 2) return false; break;
    case FilterStep::Kind::Merge: if (count > kMaxFilterPrimitives) return false; break;
    default: if (count != 1) return false; break;
  }
  for (int input : step.inputs) {
    if (input < kFilterSourceAlpha || input >= index) return false;
  }
  for (float v : step.matrix) {
    if (!std::isfinite(v)) return false;
  }
  return std::isfinite(step.dx) && std::isfinite(step.dy) && std::isfinite(step.k[0]) && std::isfinite(step.k[1]) &&
         std::isfinite(step.k[2]) && std::isfinite(step.k[3]) &&
         (step.kind != FilterStep::Kind::Blur || (step.dx >= 0 && step.dy >= 0));
}

SurfacePtr NewPicture(int width, int height) {
  SurfacePtr picture(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  if (cairo_surface_status(picture.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  return picture;
}

void MaskCoverage(cairo_surface_t* picture, bool luminance, double opacity) {
  opacity = std::clamp(opacity, 0.0, 1.0);
  EachPixel(picture, [&](std::uint32_t& v, int, int) {
    // The colour is premultiplied, so its luminance is already times alpha.
    const double cover = luminance ? 0.2125 * Channel(v, 16) + 0.7154 * Channel(v, 8) + 0.0721 * Channel(v, 0)
                                   : double(Channel(v, 24));
    v = std::uint32_t(std::lround(std::clamp(cover * opacity, 0.0, 255.0))) << 24;
  });
}

SurfacePtr RunFilter(const DrawingFilter& filter, cairo_surface_t* source, const cairo_matrix_t& toDevice,
                     double& pixelsLeft, Pacer& pacer) {
  const int width = WidthOf(source), height = HeightOf(source);
  std::vector<Result> results;
  SurfacePtr sourceAlpha;
  for (const FilterStep& step : filter.steps) {
    const double pixels = double(width) * height * (step.kind == FilterStep::Kind::Blur ? 2 : 1);
    pixelsLeft -= pixels;
    if (pixelsLeft < 0 || !pacer.step(std::size_t(pixels / 1024))) return nullptr;
    std::vector<SurfacePtr> in;
    for (int index : step.inputs) {
      if (index == kFilterSourceAlpha && !sourceAlpha) {
        sourceAlpha = Copy(source);
        if (!sourceAlpha) return nullptr;
        EachPixel(sourceAlpha.get(), [](std::uint32_t& v, int, int) { v &= 0xFF000000u; });
      }
      // The alpha alone is the same in either colour space.
      if (index == kFilterSourceAlpha) in.push_back(Shared(sourceAlpha.get()));
      else if (index == kFilterSource) in.push_back(InSpace(source, false, step.linearRgb));
      else if (index >= 0 && std::size_t(index) < results.size()) {
        in.push_back(InSpace(results[std::size_t(index)].picture.get(), results[std::size_t(index)].linear, step.linearRgb));
      } else {
        return nullptr;
      }
      if (!in.back()) return nullptr;
    }
    SurfacePtr out = RunStep(step, in, width, height, toDevice);
    if (!out) return nullptr;
    results.push_back({std::move(out), step.linearRgb});
  }
  if (results.empty()) return nullptr;
  return InSpace(results.back().picture.get(), results.back().linear, false);
}
