#include "support/MessagePump_win.h"

namespace {

HWND gNavigationWindow = nullptr;

void TranslateAndDispatch(MSG& msg) {
  if (gNavigationWindow && IsDialogMessageW(gNavigationWindow, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

void SetNavigationWindow(HWND window) { gNavigationWindow = window; }

void DispatchPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateAndDispatch(msg);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) TranslateAndDispatch(msg);
  return static_cast<int>(msg.wParam);
}
