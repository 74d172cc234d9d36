#pragma once
// Path data as Android's vector drawables and SVG's path elements write it
// ("M10,10h5l-2 3z"), read into the absolute commands of draw/Path.h.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "draw/Path.h"

// Reads path data into absolute commands. `budget` is how many commands
// the caller still allows (one drawable shares one budget over all its
// paths); every command produced takes one, an arc up to four.
//
// As on Android: a path that does not start with a move starts at (0, 0);
// separators (blanks, commas) may be left out wherever the next number
// cannot continue the last one ("M1-2", "1e-3.5.5", arc flags as "01").
// Unlike what a browser does, malformed data is refused whole rather than
// drawn up to the first error, because Android refuses such a drawable:
// an unknown letter, a command with too few numbers, numbers after a close,
// a number outside float range. Empty data is an empty path.
std::optional<std::vector<PathCommand>> ParsePathData(std::string_view text, std::size_t& budget);
