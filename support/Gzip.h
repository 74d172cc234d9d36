#pragma once
// Deflated data held whole in memory: gzip (a compressed SVG file, .svgz)
// and the raw deflate of a ZIP entry.
#include <cstddef>
#include <cstdint>

#include "support/Bytes.h"

// The inflated bytes of the first gzip member of gz. Empty bytes when gz is
// not gzip, is damaged or cut short (its CRC and length are checked), or
// would inflate to more than maxOutput bytes: a small file that expands to
// gigabytes is refused once the cap is reached, and no more than maxOutput
// bytes are ever allocated for it. Bytes after the first member are ignored.
Bytes InflateGzip(ByteSpan gz, std::size_t maxOutput);

// The inflated bytes of raw deflate data (a ZIP entry's), which must come
// to exactly `size` bytes and end there; empty otherwise, or when damaged.
// No more than `size` bytes are ever allocated.
Bytes InflateRaw(ByteSpan deflated, std::size_t size);

// zlib's CRC-32 of the bytes, as gzip and ZIP store it.
std::uint32_t Crc32(ByteSpan bytes);
