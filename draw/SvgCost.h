#pragma once
// What reading an SVG document would cost, counted before any of it is
// read. The reader repeats what a use element refers to each time it is
// used, and a clip path, mask, filter or gradient each time an element
// refers to it, so a document of a few kilobytes can stand for billions of
// elements. Here every element is counted once and its count reused
// wherever it is repeated (a use within a use multiplies it): nothing is
// expanded to be counted, and the counting costs no more than one pass over
// the document.
//
// The counts are at least what the reader will do: a shape is counted as
// if it were drawn (one hidden by its group's visibility, or painting
// nothing, still counts), and a gradient a group paints with as if each of
// its shapes took it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "draw/SvgValues.h"
#include "support/XmlTree.h"

// The limits of one document, each counting an element again every time a
// use element or a reference repeats it. Path commands are held to
// kMaxPathCommands (draw/Drawing.h), counted the same way.
inline constexpr std::size_t kMaxSvgElements = 4000;  // elements read
inline constexpr int kMaxSvgUseDepth = 8;             // use elements within use elements
// Gradient stops copied into the paths that paint with them: an icon's
// gradients have a few stops each, and the renderer takes at most 256.
inline constexpr std::uint64_t kMaxSvgStops = 1u << 16;
// Attribute text read as values (styles, transforms, path data): eight
// times the largest document, so however a document repeats its parts,
// reading it costs a few times what reading it once does.
inline constexpr std::uint64_t kMaxSvgTextRead = 32u << 20;
// Gradients inherit through href this many steps at most.
inline constexpr int kMaxGradientLinks = 8;

namespace svg {

using IdIndex = std::unordered_map<std::string, const XmlElement*>;

enum class CostVerdict {
  Within,
  Beyond,     // a count above its limit, or uses or masks nested too deep
  Refused,    // something the reader refuses wherever it is read: text and other
              // elements not drawn, a use of another document or of itself, a
              // value not read, a reference to nothing
  Cancelled,  // keepGoing said no
};

// The cost of reading the root's children, the root being the document's
// svg element; `ids` holds the document's elements by id, and percentages
// are of `viewport`. Refused wins over Beyond: what a document uses is the
// better reason to give.
CostVerdict CountSvgCost(const XmlElement& root, const IdIndex& ids, const Viewport& viewport,
                         const std::function<bool()>& keepGoing = {});

}  // namespace svg
