#pragma once
// An icon file as the program shows it, whichever room found it: an SVG
// document drawn, a PNG file kept as it is.
#include <cstdint>
#include <functional>
#include <string_view>

#include "support/Bytes.h"

// True when a file name ends in ".svg", in any case: packages and users
// write ".SVG" too.
bool IsSvgName(std::string_view name);

// The icon in one file as PNG bytes: an SVG document (svg true) drawn on a
// square of side pixels (0: kSvgIconPixels), its width:height kept; any other
// file as it is when it is a PNG. The file is read through read(maxBytes),
// at most kMaxSvgBytes of an SVG document and bitmapLimit of anything else.
// Empty bytes for an SVG document the drawing model refuses or cannot draw
// whole, and for a file in any other format.
Bytes SvgDrawnOrPngKept(bool svg, std::uint64_t bitmapLimit, const std::function<Bytes(std::uint64_t maxBytes)>& read,
                        int side);
