#include "output/PictureBox_win.h"

namespace {

constexpr wchar_t kClassName[] = L"TessarooPictureBox";

LRESULT CALLBACK PictureBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterPictureBoxClass(HINSTANCE instance) {
  WNDCLASSEXW cls{};
  if (GetClassInfoExW(instance, kClassName, &cls)) return;
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = PictureBoxProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));  // IDC_HAND
  cls.lpszClassName = kClassName;
  RegisterClassExW(&cls);
}

}  // namespace

HWND CreatePictureBox(HWND parent, int id, int left, int top, int width, int height) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  RegisterPictureBoxClass(instance);
  return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, left, top, width,
                         height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         instance, nullptr);
}
