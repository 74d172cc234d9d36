#include "support/MessagePump_win.h"

namespace {

HWND gNavigationWindow = nullptr;
HACCEL gShortcuts = nullptr;

void TranslateAndDispatch(MSG& msg) {
  if (gNavigationWindow && gShortcuts && TranslateAcceleratorW(gNavigationWindow, gShortcuts, &msg)) return;
  if (gNavigationWindow && IsDialogMessageW(gNavigationWindow, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

void SetNavigationWindow(HWND window, HACCEL shortcuts) {
  gNavigationWindow = window;
  gShortcuts = shortcuts;
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) TranslateAndDispatch(msg);
  return static_cast<int>(msg.wParam);
}
