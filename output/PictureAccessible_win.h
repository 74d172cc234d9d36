#pragma once
// What screen readers learn of the picture box: its name ("Icon") and, as
// its value, what it shows ("192 × 192 PNG", a reason, "Reading…"). Every
// other property comes from the system's own object for the window.
#include <windows.h>

#include <functional>
#include <string>

// The answer to WM_GETOBJECT for the box (0 for objects other than its
// client area, or when the system's accessibility library is missing). The
// size row answers the same way under its own name.
LRESULT AnswerAccessibleObject(HWND box, WPARAM wParam, LPARAM lParam, std::function<std::wstring()> value,
                               std::wstring name = L"Icon");
