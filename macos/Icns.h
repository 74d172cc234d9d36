#pragma once
// Apple icon sets (.icns), as macOS app bundles carry them: a list of
// entries, each a four-letter type, its length, and one image.
#include <cstddef>

#include "support/Bytes.h"

// An icon set larger than this is refused unread; real ones stay far below.
inline constexpr std::size_t kMaxIcnsBytes = 64u << 20;

// The largest image of the set that decodes, as a PNG: a PNG-encoded entry
// (ic07 to ic14, icp4 to icp6, ic04 and ic05 when PNG) byte for byte, by its
// own header's size; a JPEG 2000 entry in the same places (by its
// codestream's size, image/Jpeg2000.h) or a classic entry (it32, ih32, il32,
// is32 with the t8mk, h8mk, l8mk, s8mk mask of its size, opaque without one;
// ic04 and ic05 in ARGB form) decoded into a PNG with alpha. An entry that does not
// decode (a header that claims more than the image limits, damaged data,
// run-length data that overruns or falls short) is passed over: a smaller
// good entry wins over it. A tie keeps the PNG, then the earlier entry.
// Empty bytes when no entry gives an image (lying lengths end the list).
Bytes IcnsLargestImage(ByteSpan icns);

// The whole set as an icon group (an icon file, image/IcoEncode.h), so that
// each of its images can be looked at and given out: one image per pixel
// size, each as IcnsLargestImage would give it were it the largest (the
// entries that do not decode passed over in the same way), largest first,
// each a PNG stream. Its first image is what IcnsLargestImage gives. Empty
// bytes when no entry gives an image.
Bytes IcnsIconGroup(ByteSpan icns);
