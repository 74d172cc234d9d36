#include "app/MainWindowLayout.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>

TEST(CenteredOrigin, UsesIntegerHalvesOfTheFreeSpace) {
  EXPECT_EQ(CenteredOrigin(1024, 768, 418, 248).x, 303);
  EXPECT_EQ(CenteredOrigin(1024, 768, 418, 248).y, 260);
  EXPECT_EQ(CenteredOrigin(1921, 1081, 418, 248).x, 751);
  EXPECT_EQ(CenteredOrigin(1921, 1081, 418, 248).y, 416);
}

TEST(NextTopmostChange, FollowsTheCaptionAlone) {
  const TopmostChange fromOff = NextTopmostChange(kOnTopCaption);
  EXPECT_TRUE(fromOff.makeTopmost);
  EXPECT_EQ(fromOff.newCaption, kCancelOnTopCaption);
  const TopmostChange fromOn = NextTopmostChange(kCancelOnTopCaption);
  EXPECT_FALSE(fromOn.makeTopmost);
  EXPECT_EQ(fromOn.newCaption, kOnTopCaption);
  // Any other caption clears the state.
  EXPECT_FALSE(NextTopmostChange(L"窗口置顶 ").makeTopmost);
  EXPECT_FALSE(NextTopmostChange(L"").makeTopmost);
}

TEST(MainWindowControls, FitInsideTheClientAreaWithoutOverlapping) {
  for (const ControlLayout& a : kMainWindowControls) {
    EXPECT_LE(a.left + a.width, kMainWindowClientWidth) << a.id;
    EXPECT_LE(a.top + a.height, ShownOnlyWithStrip(a) ? kMainWindowClientHeightWithStrip : kMainWindowClientHeight) << a.id;
    for (const ControlLayout& b : kMainWindowControls) {
      if (&a == &b) continue;
      const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                         a.top + a.height <= b.top || b.top + b.height <= a.top;
      EXPECT_TRUE(apart) << a.id << " overlaps " << b.id;
    }
  }
}

TEST(ScaleToDpi, RoundsHalvesAwayFromZeroAsMulDivDoes) {
  const struct { int value, dpi, scaled; } cases[] = {
      {223, 96, 223}, {223, 144, 335}, {-11, 144, -17}, {-11, 120, -14},
      {3, 120, 4}, {1, 120, 1}, {184, 192, 368}, {0, 144, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
}

TEST(MainWindowLayout, ClientAndControlsAt96And144Dpi) {
  EXPECT_EQ(MainWindowClientSize(96).width, 412);
  EXPECT_EQ(MainWindowClientSize(96).height, 264);
  EXPECT_EQ(MainWindowClientSize(144).width, 618);
  EXPECT_EQ(MainWindowClientSize(144).height, 396);
  EXPECT_EQ(MainWindowClientSize(96, true).height, 312);
  EXPECT_EQ(MainWindowClientSize(144, true).height, 468);
  // In creation order, the order Tab follows: import, copy, on top, save
  // (the buttons top down), the picture box, the size row under it, then
  // the strip and its Save all button, which show only after a
  // several-file import.
  const struct { LayoutRect at96, at144; } expected[] = {
      {{248, 16, 120, 32}, {372, 24, 180, 48}},   {{248, 66, 120, 32}, {372, 99, 180, 48}},
      {{248, 116, 120, 32}, {372, 174, 180, 48}}, {{248, 168, 120, 32}, {372, 252, 180, 48}},
      {{16, 16, 184, 184}, {24, 24, 276, 276}},   {{16, 208, 380, 40}, {24, 312, 570, 60}},
      {{16, 258, 284, 44}, {24, 387, 426, 66}},   {{308, 264, 88, 32}, {462, 396, 132, 48}},
  };
  for (const ControlLayout& c : kMainWindowControls) {
    EXPECT_EQ(ShownOnlyWithStrip(c), c.id == kResultStripId || c.id == kSaveAllButtonId) << c.id;
  }
  ASSERT_EQ(std::size(expected), std::size(kMainWindowControls));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    for (const auto& [dpi, want] : {std::pair{96, expected[i].at96}, std::pair{144, expected[i].at144}}) {
      const LayoutRect r = ControlRectAt(kMainWindowControls[i], dpi);
      EXPECT_EQ(r.left, want.left) << i << " at " << dpi;
      EXPECT_EQ(r.top, want.top) << i << " at " << dpi;
      EXPECT_EQ(r.width, want.width) << i << " at " << dpi;
      EXPECT_EQ(r.height, want.height) << i << " at " << dpi;
    }
  }
}
