#pragma once
// Gzip data held whole in memory, such as a compressed SVG file (.svgz).
#include <cstddef>

#include "support/Bytes.h"

// The inflated bytes of the first gzip member of gz. Empty bytes when gz is
// not gzip, is damaged or cut short (its CRC and length are checked), or
// would inflate to more than maxOutput bytes: a small file that expands to
// gigabytes is refused once the cap is reached, and no more than maxOutput
// bytes are ever allocated for it. Bytes after the first member are ignored.
Bytes InflateGzip(ByteSpan gz, std::size_t maxOutput);
