#pragma once
// PNG decoding with libpng, to straight-alpha RGBA. Truncated, corrupt or
// oversized files give an empty image.
#include "image/RgbaImage.h"
#include "support/Bytes.h"

RgbaImage DecodePng(ByteSpan bytes);
