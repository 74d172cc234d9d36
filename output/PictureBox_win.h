#pragma once
// The 184 x 184 picture control of the main window: draws the current icon
// stretched over its client area on the button-face background.
#include <windows.h>

// Registers the control's window class (once) and creates one.
HWND CreatePictureBox(HWND parent, int id, int left, int top, int width, int height);
