#pragma once
// Resizing decoded images for display and for icon files.
#include "image/RgbaImage.h"

// The image at width x height: along an axis that shrinks, each pixel is
// the average of the source pixels it covers (colours weighted by alpha);
// along one that grows, the nearest source pixel, so small icons stay crisp.
// Empty for an empty image or a size below 1.
RgbaImage ResizeImage(const RgbaImage& image, int width, int height);

// Where a picture of width x height goes in a box of boxWidth x boxHeight:
// as large as fits with its proportions kept (never beyond the box), centred.
struct FittedRect {
  int x = 0, y = 0, width = 0, height = 0;
};
FittedRect FitCentred(int width, int height, int boxWidth, int boxHeight);
