#pragma once
// XPM 3 images in their C source form, as Linux packages carry old icons:
//   /* XPM */
//   static char * name[] = { "w h ncolors cpp [x_hot y_hot]",
//     "<cpp chars> c <colour>", ..., "<row of w * cpp chars>", ... };
// Only the quoted strings count, in order; comments between them are
// skipped. Colours: #rgb, #rrggbb, #rrrrggggbbbb, None (transparent) and the
// X11 colour names.
#include <cstddef>
#include <cstdint>

#include "image/RgbaImage.h"
#include "support/Bytes.h"

// Limits checked before anything is allocated: icons are at most 1024 pixels
// a side; 65536 colours is every code of two characters, more than any icon
// uses; a larger text is no icon.
inline constexpr std::uint32_t kMaxXpmSide = 1024;
inline constexpr std::uint32_t kMaxXpmColours = 65536;
inline constexpr std::size_t kMaxXpmText = 8u << 20;

// The cheap probe: "/* XPM */" after optional blanks.
bool LooksLikeXpm(ByteSpan bytes);

// The image, or an empty one for a bad header, a missing or short row, a
// pixel code no colour line defines, a colour we cannot read, or anything
// over the limits. A colour line's "c" colour is used; without one, the
// first of "g", "g4", "m" and "s" it has.
RgbaImage DecodeXpm(ByteSpan bytes);
