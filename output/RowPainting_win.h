#pragma once
// What the rows under the picture box (the size row, the strip of several
// files) paint alike.
#include <windows.h>

#include <algorithm>

#include "support/ScopedWin_win.h"

// A triangle pointing left or right, centred in the rectangle: more cells
// lie that way.
inline void PaintRowArrow(HDC dc, const RECT& area, bool left) {
  const int width = std::max(3, static_cast<int>(area.right - area.left) * 2 / 5), half = width;
  const int x = (area.left + area.right - width) / 2, y = (area.top + area.bottom) / 2;
  const POINT points[3] = {left ? POINT{x, y} : POINT{x + width, y},
                           left ? POINT{x + width, y - half} : POINT{x, y - half},
                           left ? POINT{x + width, y + half} : POINT{x, y + half}};
  const ScopedSelectObject brush(dc, GetSysColorBrush(COLOR_BTNTEXT));
  const ScopedSelectObject pen(dc, GetStockObject(NULL_PEN));
  Polygon(dc, points, 3);
}

// Answers WM_PAINT by drawing (draw(dc, client)) into a bitmap first and
// copying it over at once: a row repaints at every key press, and drawing
// cell by cell on screen flickers.
template <typename Draw>
void PaintRowBuffered(HWND row, Draw draw) {
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(row, &paint);
  RECT client;
  GetClientRect(row, &client);
  const ScopedCompatibleDC memory(screen);
  const ScopedGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
  if (memory.get() && bitmap) {
    const ScopedSelectObject canvas(memory.get(), bitmap.get());
    draw(memory.get(), client);
    BitBlt(screen, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  } else {
    draw(screen, client);
  }
  EndPaint(row, &paint);
}
