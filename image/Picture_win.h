#pragma once
// The picture a pipeline hands over (an image file's bytes, kept as they
// are) read as pixels, and written again as the files that leave the
// program: a PNG (save, copy, drag, the command line) or an icon file.
// Win32 because JPEG, BMP and GIF go through the system's codecs.
#include <cstddef>
#include <cstdint>

#include "image/RgbaImage.h"
#include "support/Bytes.h"

// The picture's pixels: PNG, icon files (their first image), JPEG, BMP and
// GIF; empty for anything else (a WebP file shows only the background).
RgbaImage DecodePicture(ByteSpan bytes);

// One image of the picture, by its place among an icon group's images
// (ListIcoEntries): its pixels, or as a PNG file (a PNG stream byte for
// byte, a bitmap with its mask). Image 0 gives what DecodePicture and
// PictureAsPng give; so does any other picture, whatever the number.
RgbaImage DecodeChosenImage(ByteSpan picture, std::size_t image);
Bytes ChosenImageAsPng(ByteSpan picture, std::size_t image);

// The picture as a PNG file with its alpha: the bytes as they are when it
// is one already; an icon file's first image (the one shown), a PNG stream
// byte for byte. Empty when the picture cannot be decoded.
Bytes PictureAsPng(ByteSpan picture);

// For an icon group, its image of the largest side not above maxSide (by
// area, then bits per pixel; the smallest image when none fits) as a PNG:
// a PNG stream byte for byte, a bitmap with its mask. Any other picture as
// PictureAsPng gives it.
Bytes PictureImageAsPng(ByteSpan picture, std::uint32_t maxSide);

// The picture as an icon file: an icon group as it is; any other picture as
// a one-image icon file holding it as a PNG, scaled down to 256 x 256 when
// larger, centred on a transparent square when not square.
Bytes PictureAsIcon(ByteSpan picture);
