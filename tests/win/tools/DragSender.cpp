// A second program that starts an OLE drag of one file (CF_HDROP) when the
// left button goes down on its window, as a file manager would.
// Usage: dragsender X Y FILE   (a 200 x 200 window at X, Y; runs until closed)
#include <windows.h>

#include <cstdlib>
#include <string>

#include "output/DragOut_win.h"

namespace {
std::string gFile;
IconDragSource* gSource = nullptr;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  gFile = __argv[3];
  OleInitialize(nullptr);
  gSource = IconDragSource::Create();
  WNDCLASSW cls{};
  cls.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_LBUTTONDOWN && gSource) {
      gSource->dragOut(CF_HDROP, ByteSpan(reinterpret_cast<const std::uint8_t*>(gFile.data()), gFile.size()));
      return 0;
    }
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(w, m, wp, lp);
  };
  cls.hInstance = instance;
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = L"DragSender";
  RegisterClassW(&cls);
  CreateWindowW(L"DragSender", L"Drag sender", WS_POPUP | WS_VISIBLE | WS_BORDER, std::atoi(__argv[1]),
                std::atoi(__argv[2]), 200, 200, nullptr, nullptr, instance, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  gSource->Release();
  OleUninitialize();
  return 0;
}
