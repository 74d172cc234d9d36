#pragma once
// The program's message loops: the main loop, and the nested pumps that keep
// the window alive while a helper tool runs. All of them route keyboard
// navigation (Tab, Escape) through the same dialog-style handling.
#include <windows.h>

// The top-level window whose keyboard navigation the loops handle
// (IsDialogMessage); nullptr for none.
void SetNavigationWindow(HWND window);

// Dispatches every message waiting in this thread's queue. A WM_QUIT found
// here is posted again, so the main loop still sees it and ends, and from
// then on QuitRequested() is true.
void DispatchPendingMessages();

// True once a nested pump has met WM_QUIT: the program is ending, so a
// running tool is ended, no new one starts, and no further dropped file is
// taken in.
bool QuitRequested();
// For tests that post WM_QUIT on purpose: forget it again.
void ClearQuitRequest();

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Waits about this many milliseconds while dispatching window messages.
void PauseWithMessages(int milliseconds);
