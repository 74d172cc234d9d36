#pragma once
// PNG encoding with libpng, from straight-alpha RGBA.
#include "support/Bytes.h"
#include "support/RgbaImage.h"

// The image as a PNG file with its alpha; empty bytes for an empty image.
Bytes WritePng(const RgbaImage& image);
