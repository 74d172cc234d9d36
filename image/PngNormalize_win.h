#pragma once
// Turning an icon that is not a standard PNG file into one, through the
// image codec.
#include "support/Bytes.h"

// The image re-encoded in the format the index selects (5: PNG); empty bytes
// when it cannot be decoded.
Bytes ReencodeImage(ByteSpan bytes, int formatIndex, int quality);
