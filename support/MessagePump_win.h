#pragma once
// The program's message loop, which routes keyboard navigation (Tab,
// Escape) and the keyboard shortcuts through dialog-style handling.
#include <windows.h>

// The top-level window whose keyboard navigation the loop handles
// (IsDialogMessage), and the keyboard shortcuts that send it commands
// (nullptr for none).
void SetNavigationWindow(HWND window, HACCEL shortcuts = nullptr);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();
