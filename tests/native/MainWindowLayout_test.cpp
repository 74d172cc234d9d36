#include "app/MainWindowLayout.h"

#include <gtest/gtest.h>

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
    EXPECT_LE(a.left + a.width, kMainWindowWidth) << a.id;
    EXPECT_LE(a.top + a.height, kMainWindowHeight) << a.id;
    for (const ControlLayout& b : kMainWindowControls) {
      if (&a == &b) continue;
      const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                         a.top + a.height <= b.top || b.top + b.height <= a.top;
      EXPECT_TRUE(apart) << a.id << " overlaps " << b.id;
    }
  }
}
