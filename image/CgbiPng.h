#pragma once
// Apple-crushed PNG ("CgBI"), as iOS packages carry their icons: a CgBI chunk
// before IHDR, IDAT data that is raw deflate without the zlib wrapper, pixels
// stored B, G, R, A with premultiplied alpha. No platform decoder reads it.
#include "support/Bytes.h"

// True when the first chunk after the PNG signature is CgBI.
bool IsCgbiPng(ByteSpan bytes);

// The same pixels as a standard PNG file: IDAT re-wrapped in zlib, every CRC
// valid, CgBI and the other Apple chunks dropped. The channel bytes stay in
// their stored order (blue first, premultiplied). Empty bytes when the data
// is not a well-formed crushed PNG, its image is larger than allowed, or its
// compressed data is too short to hold the image its header declares. The
// image data is inflated and deflated again in blocks, never held whole.
Bytes NormalizeCgbiPng(ByteSpan bytes);

// A crushed PNG as the program shows it: a standard PNG of the same size in
// true colours that keeps its transparency, red and blue exchanged and the
// colours un-premultiplied (wholly transparent pixels come out black). The
// layouts crushed icons use, 8-bit RGB or RGBA, not interlaced, are
// converted row by row as they are inflated, never held whole; any other
// layout the PNG decoder reads is decoded whole. Empty bytes for anything
// NormalizeCgbiPng or the decoder refuses.
Bytes CgbiToPng(ByteSpan bytes);

// The same for a standard PNG whose pixels are still as crushed data stores
// them (blue first, premultiplied), such as the system codec writes when it
// re-encodes a crushed file. Empty bytes when it cannot be decoded.
Bytes CrushedPixelsToPng(ByteSpan storedOrderPng);
