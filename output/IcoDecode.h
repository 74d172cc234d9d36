#pragma once
// Decodes the first image of an icon (.ico) file: a PNG stream, or a bitmap
// of 1, 4, 8, 24 or 32 bits per pixel with its AND mask. Malformed files give
// an empty image.
#include "support/Bytes.h"
#include "support/RgbaImage.h"

RgbaImage DecodeIco(ByteSpan bytes);
