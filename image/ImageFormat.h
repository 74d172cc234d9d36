#pragma once
// Which image format a picture's bytes are, from their first bytes.
#include <cstdint>
#include <string>

#include "image/RgbaImage.h"
#include "support/Bytes.h"

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Icon, Gif, Pcx };

// The eight bytes every PNG file starts with.
inline constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
bool HasPngSignature(ByteSpan bytes);
// A standard PNG's first 16 bytes: the signature, then an IHDR chunk of
// length 13 (a crushed PNG has its CgBI chunk there).
bool IsStandardPngStart(ByteSpan bytes);
// "RIFF", a 32-bit length, "WEBP".
bool HasWebpSignature(ByteSpan bytes);

ImageFormat SniffImageFormat(ByteSpan bytes);

struct ImageSize {
  std::uint32_t width = 0, height = 0;
};

// The pixel size a PNG, JPEG, BMP or GIF file declares in its header, read
// without decoding anything; {0, 0} when the header cannot be read or the
// format is another one. Lets a caller refuse a huge image before a decoder
// allocates for it.
ImageSize ProbeImageSize(ByteSpan bytes);

// The canvas size a WebP file declares (simple lossy "VP8 ", lossless
// "VP8L", or extended "VP8X"), read from its first 30 bytes without
// decoding; {0, 0} when the bytes do not start like a WebP file.
ImageSize ProbeWebpSize(ByteSpan bytes);

// True when the bytes are an image the picture box draws: a PNG, JPEG, BMP
// or GIF whose header gives a size within kMaxImageSide, or an icon file
// holding at least one image entry. Anything else (an executable stored
// under an icon's name, say) is no picture.
bool IsPictureImage(ByteSpan bytes);

// What the picture box shows, for its tooltip: the pixel size and format of
// a picture, "192 × 192 PNG" (UTF-8); for an icon file the size of its first
// image, the one the box draws. Empty when the bytes are no picture.
std::string DescribePicture(ByteSpan bytes);
