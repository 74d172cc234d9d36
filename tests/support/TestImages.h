#pragma once
// Test images made by the tests' own small encoders: standard PNG, Apple's
// crushed PNG (CgBI) with any row filter, and icon files.
#include <cstdint>
#include <string>

#include "image/RgbaImage.h"
#include "support/Bytes.h"

// A deterministic pattern with varied colours and alpha (alpha 0 included).
RgbaImage TestPattern(int width, int height);
// A single colour.
RgbaImage SolidImage(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

// Standard PNG, 8 bits per channel, colour type 2 (RGB) or 6 (RGBA).
Bytes EncodePng(const RgbaImage& image, int colourType = 6, int filter = 0);

// The channel bytes a crushed PNG stores for this image: alpha premultiplied,
// blue first (B, G, R, A for type 6; B, G, R for type 2), rows top-down.
Bytes CrushedPixelBytes(const RgbaImage& image, int colourType);

// A crushed PNG: CgBI chunk, IHDR, the stored bytes filtered with the given
// row filter (0..4) and compressed as raw deflate, split over IDAT chunks of
// at most idatPiece bytes, IEND.
Bytes EncodeCgbi(const RgbaImage& image, int colourType, int filter, std::size_t idatPiece = 1u << 20);

// An icon file with one image: a bitmap of bitCount bits (1, 4, 8, 24, 32)
// plus AND mask, from the image's colours (palette images use the first
// colours found) and alpha (below 128 is transparent in the mask).
Bytes EncodeIcoBitmap(const RgbaImage& image, int bitCount);
// An icon file whose one image is a PNG stream.
Bytes EncodeIcoPng(const RgbaImage& image);
// One icon file made of single-image icon files, their images in that order.
Bytes CombineIcons(const std::vector<Bytes>& singles);

// One pixel as 0xAARRGGBB, and whether two such colours are within the
// tolerance in every channel.
std::uint32_t PixelArgb(const RgbaImage& image, int x, int y);
bool ArgbNear(std::uint32_t a, std::uint32_t b, int tolerance);

// A hand-made PNG chunk (length, type, data, CRC).
void PutPngChunk(Bytes& out, const char* type, ByteSpan data);
