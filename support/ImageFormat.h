#pragma once
// Which image format a picture's bytes are, from their first bytes.
#include <cstdint>

#include "support/Bytes.h"

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Icon, Gif, Pcx };

ImageFormat SniffImageFormat(ByteSpan bytes);

struct ImageSize {
  std::uint32_t width = 0, height = 0;
};

// The pixel size a PNG, JPEG, BMP or GIF file declares in its header, read
// without decoding anything; {0, 0} when the header cannot be read or the
// format is another one. Lets a caller refuse a huge image before a decoder
// allocates for it.
ImageSize ProbeImageSize(ByteSpan bytes);
