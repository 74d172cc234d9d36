#include "draw/PathData.h"

#include <gtest/gtest.h>

#include "tests/support/PathText.h"

#include <cmath>
#include <cstdio>

namespace {

std::string Parse(std::string_view text) {
  std::size_t budget = 1000;
  const auto commands = ParsePathData(text, budget);
  return commands ? PathText(*commands) : "refused";
}

TEST(ParsePathData, Grammar) {
  const struct { const char* data; const char* commands; } cases[] = {
      {"", ""},
      {"M10 20L30 40", "M10,20 L30,40"},
      {"m10 20l5 5 5 5", "M10,20 L15,25 L20,30"},
      {"M1 2 3 4 5 6", "M1,2 L3,4 L5,6"},  // pairs after a move are lines
      {"m1 2 3 4", "M1,2 L4,6"},
      {"M1-2", "M1,-2"},
      {"M1e-3.5.5.5", "M0.001,0.5 L0.5,0.5"},
      {" M+1E1,\n2e+1 ", "M10,20"},
      {"M1 1H5V7h-2v-3", "M1,1 L5,1 L5,7 L3,7 L3,4"},
      {"L5 5", "M0,0 L5,5"},  // no move: starts at the origin
      // After a close, relative commands start from the subpath's start.
      {"M10 10l5 0l0 5zl1 1", "M10,10 L15,10 L15,15 Z10,10 L11,11"},
      {"M10 10h5zm1 1h1", "M10,10 L15,10 Z10,10 M11,11 L12,11"},
      // S mirrors the last control point of a C or S, not of anything else.
      {"M0 0C1 1 2 2 3 3S5 5 6 6", "M0,0 C1,1 2,2 3,3 C4,4 5,5 6,6"},
      {"M0 0S5 5 6 6", "M0,0 C0,0 5,5 6,6"},
      // Quadratics become cubics; T mirrors the control of a Q or T only.
      {"M0 0Q3 3 6 0T12 0", "M0,0 C2,2 4,2 6,0 C8,-2 10,-2 12,0"},
      {"M0 0C1 1 2 2 3 3T6 0", "M0,0 C1,1 2,2 3,3 C3,3 4,2 6,0"},
      // Arcs: a half circle either side, flags written without separators,
      // radii too small grown to fit, three quarters for the large arc.
      {"M0 0A5 5 0 0 1 10 0", "M0,0 C0,-2.7614 2.2386,-5 5,-5 C7.7614,-5 10,-2.7614 10,0"},
      {"M0 0a5 5 0 0110 0", "M0,0 C0,-2.7614 2.2386,-5 5,-5 C7.7614,-5 10,-2.7614 10,0"},
      {"M0 0A1 1 0 0 1 10 0", "M0,0 C0,-2.7614 2.2386,-5 5,-5 C7.7614,-5 10,-2.7614 10,0"},
      {"M0 0A5 5 0 1 0 10 0", "M0,0 C0,2.7614 2.2386,5 5,5 C7.7614,5 10,2.7614 10,0"},
      {"M10 0A10 10 0 0 1 0 10", "M10,0 C10,5.5228 5.5228,10 0,10"},
      {"M10 0A10 10 0 1 0 0 10",
       "M10,0 C10,-5.5228 5.5228,-10 0,-10 C-5.5228,-10 -10,-5.5228 -10,0 C-10,5.5228 -5.5228,10 0,10"},
      {"M0 0A0 5 0 0 1 10 0", "M0,0 L10,0"},
      {"M1 1A5 5 0 0 1 1 1", "M1,1"},
      // Refused whole, as Android refuses them.
      {"M1", "refused"},
      {"L1 2 3", "refused"},
      {"M1 2X", "refused"},
      {"M1 2#", "refused"},
      {"M1 2z3 4", "refused"},
      {"1 2", "refused"},
      {"M1e 2", "refused"},
      {"M. 2", "refused"},
      {"M1e39 0", "refused"},
      {"M0 0A1 1 0 2 1 5 5", "refused"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.data), c.commands) << c.data;
}

TEST(ParsePathData, SharesOneBudgetAndCountsArcCurves) {
  std::size_t budget = 3;
  EXPECT_TRUE(ParsePathData("M0 0L1 1L2 2", budget));
  EXPECT_EQ(budget, 0u);
  EXPECT_FALSE(ParsePathData("M0 0", budget));
  budget = 2;
  EXPECT_FALSE(ParsePathData("M0 0A5 5 0 0 1 10 0", budget)) << "a half circle is two curves";
}

}  // namespace
