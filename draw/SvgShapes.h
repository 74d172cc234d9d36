#pragma once
// SVG's shape elements as paths, one small function each (SvgShapes.cpp):
// a rectangle with rounded corners, a circle, an ellipse, a line, a
// polyline, a polygon, and a path's own data.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "draw/Path.h"
#include "draw/SvgValues.h"
#include "support/XmlTree.h"

namespace svg {

// Whether an element of this name is one of the shapes below.
bool IsShape(std::string_view name);

// Whether an element of this name draws nothing where it stands: what
// describes the document, and the definitions drawn only where something
// refers to them (gradients, clip paths, masks, symbols, ...).
bool DrawsNothingInPlace(std::string_view name);

// The shape element's outline in its own user space; percentages are of
// `viewport`. Nothing when an attribute is malformed or negative where it
// must not be, a number is beyond float range (as it is in path data), or
// the commands go beyond `budget`, which every command takes one of. A
// shape of no size is an empty path.
std::optional<std::vector<PathCommand>> ShapePath(const XmlElement& e, const Viewport& viewport, std::size_t& budget);

// A number of a shape's outline or of a placed clip path, kept to 9
// significant digits: the precision these outlines have always been drawn
// at. More would move anti-aliased edges of real icons by a few levels (and
// split some arcs into other curves), so every picture drawn before would
// change.
double OutlineNumber(double v);

}  // namespace svg
