// A second program that starts an OLE drag of one file (CF_HDROP) when the
// left button goes down on its window, as a file manager would.
// Usage: dragsender X Y FILE   (a 200 x 200 window at X, Y; runs until closed)
#include <windows.h>

#include <cstdlib>
#include <string>

#include "output/DragOut_win.h"
#include "support/ScopedWin_win.h"
#include "tests/win/tools/ToolWindow.h"

namespace {
std::string gFile;
IconDragSource* gSource = nullptr;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  gFile = __argv[3];
  const ScopedOle ole;
  gSource = IconDragSource::Create();
  auto proc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_LBUTTONDOWN && gSource) {
      gSource->dragOut(gFile);
      return 0;
    }
    return ToolWindowDefault(w, m, wp, lp);
  };
  CreateToolWindow(instance, L"DragSender", proc, std::atoi(__argv[1]), std::atoi(__argv[2]));
  RunToolMessageLoop();
  gSource->Release();
  return 0;
}
