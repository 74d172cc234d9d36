#pragma once
// The picture control of the main window: shows the picture of a
// PictureStore (the chosen image of an icon group) centred, small icons at
// a whole-number scale, others at 1:1 or as large as fits with their
// proportions kept (output/SizeChoice.h, ShownPlace), transparent areas
// over a light checkerboard, the rest on the system's button-face colour,
// whatever size the DPI gives it; repaints whenever the store changes. Its
// tooltip names the shown image's pixel size and the picture's format; with
// no picture there is no tooltip.
#include <windows.h>

#include <functional>

#include "image/RgbaImage.h"
#include "output/PictureStore.h"


// onPress runs when the left mouse button, pressed on the control, is
// dragged beyond the system's drag threshold (DragDetect).
// The notification (WM_COMMAND, in the high word of wParam) the control
// sends its parent after every change of the picture.
inline constexpr WORD kPictureChanged = 0x0100;
// Sent when a run has gone on for kBusyDelayMs (the box then says it is
// reading) and when it ends; PictureBoxShowsBusy tells which.
inline constexpr WORD kBusyChanged = 0x0101;
inline constexpr UINT kBusyDelayMs = 300;
bool PictureBoxShowsBusy(HWND box);
// While files are dragged over the window, the box is framed in the
// highlight colour: a drop lands here.
void SetPictureBoxDropHover(HWND box, bool over);

HWND CreatePictureBox(HWND parent, int id, int left, int top, int width, int height, PictureStore& store,
                      std::function<void()> onPress = {});

// A screen-compatible bitmap of the image over an opaque background; nullptr
// on failure. Also what the clipboard receives: a device-dependent bitmap is
// readable from other processes where a DIB section is not (under Wine).
HBITMAP CreateOpaqueBitmap(const RgbaImage& image, COLORREF background);
