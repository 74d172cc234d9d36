#pragma once
// A decoded image: 8-bit R, G, B, A per pixel (straight alpha), rows top-down.
#include <cstdint>
#include <vector>

// Icons are at most 1024 pixels a side; anything beyond this is refused before
// any pixel memory is allocated for it.
inline constexpr std::uint32_t kMaxImageSide = 4096;

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4

  bool empty() const { return width <= 0 || height <= 0; }
};

inline bool ImageSizeAllowed(std::uint32_t width, std::uint32_t height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide;
}
