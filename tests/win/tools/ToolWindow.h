#pragma once
// The window of the small programs the GUI tests start beside the real one:
// a 200 x 200 bordered popup of a class of its own at a given position.
#include <windows.h>

// The window's procedure for what a tool does not handle itself; closing the
// window ends the tool's message loop.
inline LRESULT CALLBACK ToolWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

inline HWND CreateToolWindow(HINSTANCE instance, const wchar_t* className, WNDPROC proc, int x, int y) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = proc;
  cls.hInstance = instance;
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = className;
  RegisterClassW(&cls);
  return CreateWindowW(className, className, WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, 200, 200, nullptr, nullptr,
                       instance, nullptr);
}

inline void RunToolMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}
