#include "draw/SvgShapes.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/PathText.h"

namespace {

// The element's outline as PathText; "refused" when there is none.
std::string Outline(const std::string& element, std::size_t budget = 1000) {
  const std::optional<XmlElement> e = ReadXmlTree(element);
  if (!e) return "bad test";
  const auto commands = svg::ShapePath(*e, {20, 20}, budget);
  if (!commands) return "refused";
  return PathText(*commands);
}

TEST(SvgShapes, EachShapeAsAPath) {
  const struct { const char* element; const char* path; } kCases[] = {
      {"<rect x='1' y='2' width='10' height='4'/>", "M1,2 L11,2 L11,6 L1,6 Z1,2"},
      {"<rect width='50%' height='10'/>", "M0,0 L10,0 L10,10 L0,10 Z0,0"},
      // rx alone stands for both radii, and is cut to half the side.
      {"<rect width='4' height='4' rx='5'/>",
       "M2,0 L2,0 C3.1046,0 4,0.8954 4,2 L4,2 C4,3.1046 3.1046,4 2,4 L2,4 C0.8954,4 0,3.1046 0,2 L0,2 C0,0.8954 0.8954,0 2,0 Z2,0"},
      {"<circle cx='5' cy='5' r='2'/>",
       "M7,5 C7,6.1046 6.1046,7 5,7 C3.8954,7 3,6.1046 3,5 C3,3.8954 3.8954,3 5,3 C6.1046,3 7,3.8954 7,5 Z7,5"},
      {"<ellipse rx='4' ry='2'/>",
       "M4,0 C4,1.1046 2.2091,2 0,2 C-2.2091,2 -4,1.1046 -4,0 C-4,-1.1046 -2.2091,-2 0,-2 C2.2091,-2 4,-1.1046 4,0 Z4,0"},
      {"<line x1='1' y1='2' x2='3' y2='4'/>", "M1,2 L3,4"},
      {"<polyline points='0,0 1,1 2,0 5'/>", "M0,0 L1,1 L2,0"},
      {"<polygon points='0,0 1,1 2,0'/>", "M0,0 L1,1 L2,0 Z0,0"},
      {"<path d='m1 1h2'/>", "M1,1 L3,1"},
      {"<rect width='0' height='4'/>", ""},
      {"<circle r='0'/>", ""},
      {"<rect width='-1' height='4'/>", "refused"},
      {"<ellipse rx='1' ry='x'/>", "refused"},
      {"<circle r='1e39'/>", "refused"},  // beyond float range, as in path data
      {"<path d='M0 0L1'/>", "refused"},
      {"<text/>", "refused"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Outline(c.element), c.path) << c.element;
  EXPECT_EQ(Outline("<polygon points='0,0 1,1 2,0'/>", 3), "refused") << "the close takes the fourth command";
}

}  // namespace
