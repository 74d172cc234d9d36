#include "app/MainWindowLayout.h"

ScreenPoint CenteredOrigin(int screenWidth, int screenHeight, int width, int height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

TopmostChange NextTopmostChange(std::wstring_view currentCaption) {
  if (currentCaption == kOnTopCaption) return {true, kCancelOnTopCaption};
  return {false, kOnTopCaption};
}
