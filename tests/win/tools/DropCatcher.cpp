// A second program that accepts OLE drops, as a folder window would: it asks
// the dropped data for CF_HDROP and copies the first named file to OUT.
// Usage: dropcatcher X Y OUT   (a 200 x 200 window at X, Y; runs until closed)
#include <windows.h>

#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/ScopedWin_win.h"
#include "tests/win/tools/ToolWindow.h"

namespace {

std::string gOut;
std::wstring gOutWide;

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
      wchar_t path[MAX_PATH] = {};
      DragQueryFileW(static_cast<HDROP>(medium.hGlobal), 0, path, MAX_PATH);
      // Written as UTF-8, whatever this program's code page.
      char utf8[MAX_PATH * 4] = {};
      WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8, sizeof utf8, nullptr, nullptr);
      name = utf8;
      ReleaseStgMedium(&medium);
      CopyFileW(path, gOutWide.c_str(), FALSE);
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
  gOutWide.assign(gOut.size() + 1, L'\0');
  gOutWide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, gOut.c_str(), -1, gOutWide.data(), static_cast<int>(gOutWide.size()))) - 1);
  const ScopedOle ole;
  HWND window = CreateToolWindow(instance, L"DropCatcher", ToolWindowDefault, std::atoi(__argv[1]), std::atoi(__argv[2]));
  static Catcher catcher;
  RegisterDragDrop(window, &catcher);
  RunToolMessageLoop();
  RevokeDragDrop(window);
  return 0;
}
