#pragma once
// The colours a pipeline may ask the picture box to show behind an icon's
// transparent pixels, as COLORREF values (0x00BBGGRR).
#include <cstdint>

// Stands for the system's button-face colour, whatever the theme makes it.
inline constexpr std::uint32_t kButtonFaceColour = 0xFF000000;
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;
