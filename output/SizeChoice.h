#pragma once
// The images of the picture that the window offers to choose from, and how
// the chosen one is shown. An icon group (an icon file, as the pipelines
// hand one over) offers every image of it that reads; any other picture is
// a single image. Which image is chosen is its place among the group's
// images (ListIcoEntries, image/IcoDecode.h), the number PictureStore keeps.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/Resize.h"
#include "support/Bytes.h"

// One image as the size row lists it.
struct SizeItem {
  std::size_t image = 0;  // its place among the group's images; 0 for a picture of one image
  std::uint32_t width = 0, height = 0;
  std::uint32_t bitCount = 0;  // 0: not known (a picture that is no icon group)
  std::string size;            // "48", or "48×24" when not square (UTF-8)
  std::string depth;           // "8-bit" when another image has the same size, else empty
};

// The picture's images, largest (by area) first, then the most bits per
// pixel first; a tie keeps the group's order. With no picture, none. The
// first item is the image the box shows until another is chosen.
std::vector<SizeItem> SizeItems(ByteSpan picture);

// Where the chosen image stands in the items; 0 when it is none of them.
std::size_t PositionOfImage(const std::vector<SizeItem>& items, std::size_t image);

// The image `step` items away from the chosen one (negative: towards the
// start), held at either end; the chosen image itself for no items.
std::size_t StepImage(const std::vector<SizeItem>& items, std::size_t chosenImage, int step);

// What a screen reader says of the chosen image: "48 × 48, 8-bit, 3 of 10"
// (UTF-8), its depth when known. Empty for no items.
std::string ChosenImageText(const std::vector<SizeItem>& items, std::size_t chosenImage);

// What the picture box says it shows: DescribePicture's words, with the
// chosen image's size in place of the first one's for an icon group.
std::string DescribeChosenImage(ByteSpan picture, std::size_t chosenImage);

// Images of this side or less are shown at a whole-number scale, every
// pixel a square of equal size: smoothing or uneven steps would blur the
// very pixels a small icon is drawn with.
inline constexpr int kPixelSharpSide = 64;

// Where an image of width x height goes in a box, centred: an image of
// kPixelSharpSide or less at the largest whole-number scale that fits; a
// larger one at 1:1 when it fits, else scaled down to fit with its
// proportions kept. Empty for an empty image or box.
FittedRect ShownPlace(int width, int height, int boxWidth, int boxHeight);

// Which items of a row show when they do not all fit its width: whole
// items only, from first up to (not including) end, with room for an arrow
// at each end where items are hidden. The chosen item always shows; the row
// moves from the first item shown before (previousFirst) only as far as it
// must. Every item when they all fit.
struct ShownItems {
  std::size_t first = 0, end = 0;
};
ShownItems ShownRowItems(const std::vector<int>& widths, int gap, int rowWidth, int arrowWidth, std::size_t chosen,
                         std::size_t previousFirst);
