#pragma once
// PNG decoding with libpng, to straight-alpha RGBA. Truncated, corrupt or
// oversized files give an empty image.
#include "support/Bytes.h"
#include "support/RgbaImage.h"

RgbaImage DecodePng(ByteSpan bytes);
