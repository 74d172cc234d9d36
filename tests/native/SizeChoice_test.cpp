#include "output/SizeChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TestImages.h"

namespace {

// A program's group as executables carry it: the image shown best first,
// then the rest in the resource's order (256 as a PNG; 48, 32 and 16 at 32,
// 8 and 4 bits).
Bytes TenImageGroup() {
  const struct { int side, bits; } images[] = {{256, 0}, {48, 32}, {32, 32}, {48, 8}, {48, 4},
                                               {32, 8},  {32, 4},  {16, 32}, {16, 8}, {16, 4}};
  std::vector<Bytes> singles;
  for (const auto& i : images) {
    const RgbaImage image = SolidImage(i.side, i.side, 40, 90, 200, 255);
    singles.push_back(i.bits ? EncodeIcoBitmap(image, i.bits) : EncodeIcoPng(image));
  }
  return CombineIcons(singles);
}

TEST(SizeItems, LargestFirstWithDepthsOnlyWhereSizesRepeat) {
  const std::vector<SizeItem> items = SizeItems(TenImageGroup());
  const struct { std::size_t image; const char* size; const char* depth; } expected[] = {
      {0, "256", ""},      {1, "48", "32-bit"}, {3, "48", "8-bit"}, {4, "48", "4-bit"}, {2, "32", "32-bit"},
      {5, "32", "8-bit"}, {6, "32", "4-bit"},  {7, "16", "32-bit"}, {8, "16", "8-bit"}, {9, "16", "4-bit"},
  };
  ASSERT_EQ(items.size(), std::size(expected));
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].image, expected[i].image) << i;
    EXPECT_EQ(items[i].size, expected[i].size) << i;
    EXPECT_EQ(items[i].depth, expected[i].depth) << i;
  }
  // Not square; a lone picture; nothing.
  const std::vector<SizeItem> wide =
      SizeItems(CombineIcons({EncodeIcoPng(SolidImage(48, 24, 1, 2, 3, 255)), EncodeIcoPng(SolidImage(16, 16, 1, 2, 3, 255))}));
  ASSERT_EQ(wide.size(), 2u);
  EXPECT_EQ(wide[0].size, "48\xC3\x97" "24");
  EXPECT_EQ(wide[1].depth, "");
  const std::vector<SizeItem> lone = SizeItems(EncodePng(SolidImage(192, 192, 1, 2, 3, 255)));
  ASSERT_EQ(lone.size(), 1u);
  EXPECT_EQ(lone[0].size, "192");
  EXPECT_EQ(lone[0].bitCount, 0u);
  EXPECT_TRUE(SizeItems({}).empty());
}

TEST(SizeItems, StepsHeldAtTheEndsAndSaidAsAScreenReaderSaysThem) {
  const std::vector<SizeItem> items = SizeItems(TenImageGroup());
  const struct { std::size_t from; int step; std::size_t to; } steps[] = {
      {0, 1, 1}, {1, 1, 3}, {4, 1, 2}, {9, 1, 9}, {0, -1, 0}, {2, -1, 4},
      {6, -10, 0}, {6, 10, 9}, {42, 1, 1},  // an image that is no item counts as the first
  };
  for (const auto& s : steps) EXPECT_EQ(StepImage(items, s.from, s.step), s.to) << s.from << " " << s.step;
  EXPECT_EQ(StepImage({}, 5, 1), 5u);

  EXPECT_EQ(ChosenImageText(items, 0), "256 \xC3\x97 256, 32-bit, 1 of 10");
  EXPECT_EQ(ChosenImageText(items, 3), "48 \xC3\x97 48, 8-bit, 3 of 10");
  EXPECT_EQ(ChosenImageText(SizeItems(EncodePng(SolidImage(192, 192, 1, 2, 3, 255))), 0), "192 \xC3\x97 192, 1 of 1");
  EXPECT_EQ(ChosenImageText({}, 0), "");
  EXPECT_EQ(DescribeChosenImage(TenImageGroup(), 0), "256 \xC3\x97 256 ICO");
  EXPECT_EQ(DescribeChosenImage(TenImageGroup(), 8), "16 \xC3\x97 16 ICO");
  EXPECT_EQ(DescribeChosenImage(EncodePng(SolidImage(60, 60, 1, 2, 3, 255)), 3), "60 \xC3\x97 60 PNG");
}

TEST(ShownPlace, SmallIconsAtWholeScalesOthersAtOneToOneOrFitted) {
  const struct { int width, height, box; FittedRect at; } cases[] = {
      {16, 16, 182, {3, 3, 176, 176}},     // 11 times, not 11.4
      {16, 16, 274, {1, 1, 272, 272}},     // 17 times at 144 dpi
      {48, 48, 182, {19, 19, 144, 144}},   // 3 times
      {64, 64, 182, {27, 27, 128, 128}},   // the largest icon so shown
      {8, 4, 182, {3, 47, 176, 88}},       // one scale for both sides
      {65, 65, 182, {58, 58, 65, 65}},     // 1:1
      {182, 100, 182, {0, 41, 182, 100}},  // 1:1, just fits
      {256, 256, 182, {0, 0, 182, 182}},   // fitted
      {1000, 307, 182, {0, 63, 182, 56}},  // fitted, proportions kept
      {64, 64, 40, {0, 0, 40, 40}},        // a small icon in a smaller box is fitted too
      {0, 16, 182, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const FittedRect r = ShownPlace(c.width, c.height, c.box, c.box);
    EXPECT_EQ(r.x, c.at.x) << c.width << "x" << c.height << " in " << c.box;
    EXPECT_EQ(r.y, c.at.y) << c.width << "x" << c.height << " in " << c.box;
    EXPECT_EQ(r.width, c.at.width) << c.width << "x" << c.height << " in " << c.box;
    EXPECT_EQ(r.height, c.at.height) << c.width << "x" << c.height << " in " << c.box;
  }
}

TEST(ShownRowItems, WholeItemsTheChosenAmongThemMovingNoFurtherThanItMust) {
  const std::vector<int> five(5, 40);  // 208 wide with gaps of 2, in a row of 100 with arrows of 10
  const struct { std::vector<int> widths; std::size_t chosen, previousFirst, first, end; } cases[] = {
      {five, 0, 0, 0, 2},              // two fit beside the right arrow
      {five, 2, 0, 2, 3},              // one fits between both arrows
      {five, 4, 0, 3, 5},              // the last two, no right arrow
      {five, 1, 3, 1, 2},              // back to the left: just far enough
      {five, 3, 2, 3, 5},              // to the right: the row moves on by one
      {{30, 30, 30}, 2, 0, 0, 3},      // all fit: no arrows
      {{150, 40}, 0, 0, 0, 1},         // an item wider than the row still shows
      {{150, 40}, 1, 0, 1, 2},
  };
  for (const auto& c : cases) {
    const ShownItems shown = ShownRowItems(c.widths, 2, 100, 10, c.chosen, c.previousFirst);
    EXPECT_EQ(shown.first, c.first) << c.chosen << " from " << c.previousFirst;
    EXPECT_EQ(shown.end, c.end) << c.chosen << " from " << c.previousFirst;
  }
}

}  // namespace
