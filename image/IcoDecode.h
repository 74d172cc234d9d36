#pragma once
// Decodes the first image of an icon (.ico) file: a PNG stream, or a bitmap
// of 1, 4, 8, 24 or 32 bits per pixel with its AND mask. Malformed files give
// an empty image.
#include <cstdint>
#include <vector>

#include "image/RgbaImage.h"
#include "support/Bytes.h"

RgbaImage DecodeIco(ByteSpan bytes);

// One image of an icon file, as its directory and its own header give it.
struct IcoEntry {
  std::uint32_t width = 0, height = 0, bitCount = 0;  // read from the image itself
  bool png = false;                                   // a PNG stream rather than a bitmap
  ByteSpan data;                                      // inside the file
  ByteSpan directory;                                 // the first 8 bytes of its directory entry
};

// The images of an icon file whose data lies inside the file and whose own
// header reads, in directory order; none for a damaged file.
std::vector<IcoEntry> ListIcoEntries(ByteSpan bytes);

// Which image of an icon group or icon file is shown: the largest area,
// then the most bits per pixel; a tie keeps the earlier image.
struct IconImageRank {
  std::uint32_t width = 0, height = 0, bitCount = 0;
};
bool OutranksIconImage(const IconImageRank& candidate, const IconImageRank& best);

// A width or height as a directory entry stores it in one byte: 0 is 256.
inline std::uint32_t IconDirectorySide(std::uint8_t stored) { return stored == 0 ? 256 : stored; }

// One image's pixels: a PNG stream or a bitmap with its mask.
RgbaImage DecodeIcoImage(const IcoEntry& entry);
