#pragma once
// JPEG 2000 images, as icon sets store their larger sizes: a JP2 file (its
// 12-byte signature box first) or a bare codestream (SOC, then SIZ),
// decoded with OpenJPEG.
#include <cstdint>

#include "image/ImageFormat.h"
#include "image/RgbaImage.h"
#include "support/Bytes.h"

// Limits checked on the codestream's own header before OpenJPEG reads it.
// Icons are at most 1024 pixels a side (ic10); OpenJPEG holds every sample
// as a 32-bit number, in the image and again in the tile being decoded. It
// sets aside the coding parameters of every tile as it reads the header, a
// few kilobytes each, and the tile grid may be as fine as one pixel: real
// icons are one tile. Components: grey, grey and alpha, RGB, RGBA.
inline constexpr std::uint32_t kMaxJpeg2000Side = 1024;
inline constexpr std::uint32_t kMaxJpeg2000Tiles = 1024;
inline constexpr std::uint32_t kMaxJpeg2000Components = 4;
inline constexpr std::uint32_t kMaxJpeg2000Precision = 16;

// The cheap probe: the JP2 signature box, or SOC followed by SIZ.
bool HasJpeg2000Signature(ByteSpan bytes);

// The pixel size the codestream's SIZ segment declares, read without
// decoding (whatever the limits); {0, 0} when the bytes hold no codestream
// whose header can be read.
ImageSize ProbeJpeg2000Size(ByteSpan bytes);

// The image as 8-bit RGBA: each component scaled from its precision (1 to
// 16 bits, signed ones shifted to unsigned), grey copied to red, green and
// blue, opaque without an alpha component. Which component is alpha comes
// from a JP2 file's channel definitions, else it is the second of two or
// the fourth of four. An empty image for damaged data and for what the
// limits or this mapping do not take: subsampled components, palettes
// (never used for icons, and OpenJPEG would expand one into as many
// full-size components as it names), colour spaces other than sRGB and
// grey (YCC, CMYK), a codestream that ends early. Embedded ICC profiles
// are not applied.
RgbaImage DecodeJpeg2000(ByteSpan bytes);
