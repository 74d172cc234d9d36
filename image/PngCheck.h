#pragma once
// Whether image bytes start like a standard PNG file: the signature followed
// by an IHDR chunk of length 13.
#include <string>

#include "support/Bytes.h"

// "png" for a standard PNG start, the empty text otherwise (fewer than 16
// bytes included).
std::string CheckPngHeader(ByteSpan bytes);

// Two upper-case hexadecimal digits per byte, no separators.
std::string BytesToHex(ByteSpan bytes);
