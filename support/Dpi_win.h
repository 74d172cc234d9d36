#pragma once
// The DPI a window is drawn at, the frame around a client area at a DPI, and
// the dialog font at a DPI. Windows before 10 (1607) have no per-window DPI:
// there every window is at the screen's DPI and the frame is the system's.
#include <windows.h>

UINT WindowDpi(HWND window);

// The outer size of a window with these styles around a client area of
// width x height at dpi.
SIZE OuterSizeForClient(int width, int height, DWORD style, DWORD exStyle, UINT dpi);

// DEFAULT_GUI_FONT with its height for dpi; nullptr when it cannot be made.
HFONT CreateGuiFont(UINT dpi);
