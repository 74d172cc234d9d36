#pragma once
// Which image format a picture's bytes are, from their first bytes.
#include "support/Bytes.h"

enum class ImageFormat { Unknown, Png, Jpeg, Bmp, Icon, Gif, Pcx };

ImageFormat SniffImageFormat(ByteSpan bytes);
