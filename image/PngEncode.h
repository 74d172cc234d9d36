#pragma once
// PNG encoding with libpng, from straight-alpha RGBA.
#include "image/RgbaImage.h"
#include "support/Bytes.h"

// The image as a PNG file with its alpha; empty bytes for an empty image.
Bytes WritePng(const RgbaImage& image);
