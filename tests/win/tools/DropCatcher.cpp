// A second program that accepts OLE drops, as a folder window would: it asks
// the dropped data for CF_HDROP and copies the first named file to OUT.
// Usage: dropcatcher X Y OUT   (a 200 x 200 window at X, Y; runs until closed)
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string gOut;

class Catcher : public IDropTarget {
 public:
  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = (riid == IID_IUnknown || riid == IID_IDropTarget) ? static_cast<IDropTarget*>(this) : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return 2; }
  IFACEMETHODIMP_(ULONG) Release() override { return 1; }
  IFACEMETHODIMP DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override { *effect &= DROPEFFECT_COPY; return S_OK; }
  IFACEMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override { *effect &= DROPEFFECT_COPY; return S_OK; }
  IFACEMETHODIMP DragLeave() override { return S_OK; }
  IFACEMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::string name = "(no CF_HDROP)";
    if (SUCCEEDED(data->GetData(&format, &medium))) {
      char path[MAX_PATH] = {};
      DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
      name = path;
      ReleaseStgMedium(&medium);
      CopyFileA(path, gOut.c_str(), FALSE);
    }
    if (FILE* f = std::fopen((gOut + ".name").c_str(), "wb")) {
      std::fputs(name.c_str(), f);
      std::fclose(f);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  gOut = __argv[3];
  OleInitialize(nullptr);
  WNDCLASSW cls{};
  cls.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(w, m, wp, lp);
  };
  cls.hInstance = instance;
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = L"DropCatcher";
  RegisterClassW(&cls);
  HWND window = CreateWindowW(L"DropCatcher", L"Drop catcher", WS_POPUP | WS_VISIBLE | WS_BORDER, std::atoi(__argv[1]),
                              std::atoi(__argv[2]), 200, 200, nullptr, nullptr, instance, nullptr);
  static Catcher catcher;
  RegisterDragDrop(window, &catcher);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  RevokeDragDrop(window);
  OleUninitialize();
  return 0;
}
