#include "support/MessagePump_win.h"

#include "support/ScopedWin_win.h"

namespace {

// Keys, mouse, posted and sent messages, timers, paint and hot keys.
constexpr DWORD kPauseWakeMask = 0xFF;

HWND gNavigationWindow = nullptr;
bool gQuitRequested = false;

void TranslateAndDispatch(MSG& msg) {
  if (gNavigationWindow && IsDialogMessageW(gNavigationWindow, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

void SetNavigationWindow(HWND window) { gNavigationWindow = window; }

bool QuitRequested() { return gQuitRequested; }
void ClearQuitRequest() { gQuitRequested = false; }

void DispatchPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      gQuitRequested = true;
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

void PauseWithMessages(int milliseconds) {
  UniqueHandle timer(CreateWaitableTimerA(nullptr, FALSE, nullptr));
  LARGE_INTEGER due;
  due.QuadPart = -10000LL * milliseconds;
  if (!timer || !SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) {
    // No timer: wait on the message queue's own time-out instead.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(milliseconds), kPauseWakeMask);
    DispatchPendingMessages();
    return;
  }
  HANDLE handle = timer.get();
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, kPauseWakeMask);
    if (woke != WAIT_OBJECT_0 + 1) break;  // the timer fired, or the wait failed
    DispatchPendingMessages();
    if (gQuitRequested) break;
  }
}
