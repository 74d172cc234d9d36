#pragma once
// Puts a decoded picture over a background colour for display or for the
// clipboard: every pixel whose alpha is below 255 is blended channel by
// channel, colour * a/255 + background * (1 - a/255), truncated; opaque
// pixels are kept as they are.
#include <cstdint>
#include <vector>

#include "image/RgbaImage.h"

struct Rgb {
  std::uint8_t r, g, b;
};

// Opaque pixels in B, G, R, X order, rows top-down: the layout of a 32-bit
// top-down device-independent bitmap.
std::vector<std::uint8_t> ComposeOverBackground(const RgbaImage& image, Rgb background);

// The same over a checkerboard of cell x cell squares, light in the top-left
// corner, so that transparent areas show as such in the preview.
std::vector<std::uint8_t> ComposeOverCheckerboard(const RgbaImage& image, int cell, Rgb light, Rgb dark);

// One channel of the blend.
std::uint8_t BlendChannel(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background);
