#pragma once
// Path data as vector drawables write it ("M10,10h5l-2 3z"), read into
// absolute commands that a renderer replays: moves, lines, cubic curves and
// closes. Quadratic curves and elliptic arcs come out as cubic curves.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct PathPoint {
  double x = 0, y = 0;
};

struct PathCommand {
  enum class Op : std::uint8_t { MoveTo, LineTo, CubicTo, Close };
  Op op = Op::MoveTo;
  PathPoint c1, c2;  // CubicTo: the control points
  PathPoint to;      // the end point; for Close the subpath's start
};

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
