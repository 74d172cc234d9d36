#pragma once
// Path commands as short text for tests to compare with literals, numbers
// rounded to four decimals: "M0,0 L1,2 C1,1 2,2 3,3 Z0,0" (a close names
// the start it returns to).
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "draw/Path.h"

inline std::string PathText(const std::vector<PathCommand>& commands) {
  std::string out;
  auto number = [&](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::round(v * 1e4) / 1e4 + 0.0);
    out += text;
  };
  auto point = [&](PathPoint p) {
    number(p.x);
    out += ',';
    number(p.y);
  };
  for (const PathCommand& c : commands) {
    if (!out.empty()) out += ' ';
    out += "MLCZ"[static_cast<int>(c.op)];
    if (c.op == PathCommand::Op::CubicTo) {
      point(c.c1);
      out += ' ';
      point(c.c2);
      out += ' ';
    }
    point(c.to);
  }
  return out;
}
