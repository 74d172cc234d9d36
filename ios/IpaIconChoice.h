#pragma once
// Choosing the app icon among the lines of an iOS package's archive listing
// (the 7-Zip console's "l" output).
#include <cstdint>
#include <string>
#include <string_view>

#include "support/PatternMatcher.h"

// The archive path, without its final ".png", of the chosen icon: among the
// first three AppIcon PNG lines the one with the largest uncompressed size
// (a tie goes to the earlier line); a single line is taken as it is; lines
// four and later are never chosen. WebP lines count only when there is no PNG
// line, and then yield no name. Empty when nothing is chosen.
std::string ChooseIpaIcon(std::string_view listing, const NarrowCodec& codec);

// The same choice with the chosen entry's uncompressed size as the listing
// gives it (saturated at INT32_MAX).
struct IpaIconEntry {
  std::string name;
  std::int32_t size = 0;
};
IpaIconEntry ChooseIpaIconEntry(std::string_view listing, const NarrowCodec& codec);
