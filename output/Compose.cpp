#include "output/Compose.h"

std::uint8_t BlendChannel(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background) {
  if (alpha == 255) return colour;
  // Exact in integers: the quotient is the truncated value of the blend.
  const unsigned value = (unsigned{colour} * alpha + unsigned{background} * (255u - alpha)) / 255u;
  return static_cast<std::uint8_t>(value > 255 ? 255 : value);
}

std::vector<std::uint8_t> ComposeOverBackground(const RgbaImage& image, Rgb background) {
  return ComposeOverCheckerboard(image, 1, background, background);
}

std::vector<std::uint8_t> ComposeOverCheckerboard(const RgbaImage& image, int cell, Rgb light, Rgb dark) {
  std::vector<std::uint8_t> out(image.pixels.size());
  cell = cell < 1 ? 1 : cell;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::size_t i = (std::size_t(y) * image.width + x) * 4;
      if (i + 3 >= image.pixels.size()) return out;
      const Rgb& under = (x / cell + y / cell) % 2 ? dark : light;
      const std::uint8_t* p = &image.pixels[i];
      out[i + 0] = BlendChannel(p[2], p[3], under.b);
      out[i + 1] = BlendChannel(p[1], p[3], under.g);
      out[i + 2] = BlendChannel(p[0], p[3], under.r);
      out[i + 3] = 255;
    }
  }
  return out;
}
