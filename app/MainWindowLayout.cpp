#include "app/MainWindowLayout.h"

int ScaleToDpi(int value, int dpi) {
  const long long product = static_cast<long long>(value) * dpi;
  const long long half = product < 0 ? -kLayoutDpi / 2 : kLayoutDpi / 2;
  return static_cast<int>((product + half) / kLayoutDpi);
}

LayoutSize MainWindowClientSize(int dpi, bool withStrip) {
  return {ScaleToDpi(kMainWindowClientWidth, dpi),
          ScaleToDpi(withStrip ? kMainWindowClientHeightWithStrip : kMainWindowClientHeight, dpi)};
}

LayoutRect ControlRectAt(const ControlLayout& c, int dpi) {
  return {ScaleToDpi(c.left, dpi), ScaleToDpi(c.top, dpi), ScaleToDpi(c.width, dpi), ScaleToDpi(c.height, dpi)};
}

ScreenPoint CenteredOrigin(int screenWidth, int screenHeight, int width, int height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

TopmostChange NextTopmostChange(std::wstring_view currentCaption) {
  if (currentCaption == kOnTopCaption) return {true, kCancelOnTopCaption};
  return {false, kOnTopCaption};
}
