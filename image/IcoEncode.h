#pragma once
// Writing icon (.ico) files: a whole group as stored, or one picture as a
// PNG-compressed image.
#include <array>
#include <cstdint>
#include <vector>

#include "image/RgbaImage.h"
#include "support/Bytes.h"

// One image to be written: the first eight bytes of its directory entry
// (width, height, colours, reserved, planes, bit count) and its data as stored.
struct IcoImageData {
  std::array<std::uint8_t, 8> entry{};
  ByteSpan data;
};

// An icon file with the images in the order given, each as stored; the
// directory states each image's real length. Images beyond the limits below
// are left out (a crafted group can name one large image thousands of times).
inline constexpr std::size_t kMaxIconFileImages = 256;
inline constexpr std::size_t kMaxIconFileBytes = std::size_t{64} << 20;
Bytes WriteIcoFile(const std::vector<IcoImageData>& images);

// An icon group of PNG streams, in the order given: each pixel size once
// (the first stream of it stays), a stream whose header gives no size left
// out. Empty when none is left.
Bytes PngIconGroup(const std::vector<ByteSpan>& pngs);

// The picture scaled so that neither side exceeds maxSide (averaging the
// covered source pixels, colours weighted by alpha), then centred on a
// transparent square. Never scaled up.
RgbaImage FitIntoSquare(const RgbaImage& image, int maxSide);

// A one-image icon file holding png, an already encoded PNG stream of a
// square image of at most 256 pixels a side.
Bytes PngIconFile(ByteSpan png, int side);
