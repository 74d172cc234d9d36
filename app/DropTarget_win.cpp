#include "app/DropTarget_win.h"

#include "output/DragOut_win.h"

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <new>
#include <string>
#include <utility>

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kCopyGlobalData = 0x49;  // WM_COPYGLOBALDATA, used by drag and drop across integrity levels

// Lets drops from processes of lower integrity (a non-elevated Explorer while
// the program runs elevated) through the user-interface privilege filter.
void OpenMessageFilterForDrops() {
  using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
  auto filter = reinterpret_cast<FilterFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilter")));
  if (!filter) return;  // before Windows Vista there is no filter
  filter(WM_DROPFILES, MSGFLT_ADD);
  filter(WM_COPYDATA, MSGFLT_ADD);
  filter(kCopyGlobalData, MSGFLT_ADD);
}

// Takes OLE drags of files and posts each drop to the window as
// WM_DROPFILES, as Windows' OLE does for a window that only accepts files:
// Wine's OLE delivers drags to registered drop targets only. A drag this
// program started itself is refused while it is under way, since the
// posted drop would arrive only after it ended.
class FileDropTarget final : public IDropTarget {
 public:
  static IDropTarget* Create(HWND window) { return new (std::nothrow) FileDropTarget(window); }

  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    static const QITAB kInterfaces[] = {QITABENT(FileDropTarget, IDropTarget), {}};
    return QISearch(this, kInterfaces, riid, ppv);
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  IFACEMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  IFACEMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC files = kFiles;
    accepts_ = data && !DraggingIconOut() && data->QueryGetData(&files) == S_OK;
    if (accepts_) SendMessageW(window_, kDropHoverMessage, TRUE, 0);
    return DragOver(0, {}, effect);
  }
  IFACEMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    *effect = accepts_ ? *effect & DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  IFACEMETHODIMP DragLeave() override {
    if (accepts_) SendMessageW(window_, kDropHoverMessage, FALSE, 0);
    accepts_ = false;
    return S_OK;
  }
  IFACEMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    if (FAILED(DragOver(0, {}, effect))) return E_INVALIDARG;
    if (accepts_) SendMessageW(window_, kDropHoverMessage, FALSE, 0);
    accepts_ = false;
    if (*effect == DROPEFFECT_NONE) return S_OK;
    if (!postDrop(data)) *effect = DROPEFFECT_NONE;
    return S_OK;
  }

 private:
  static constexpr FORMATETC kFiles = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

  explicit FileDropTarget(HWND window) : window_(window) {}
  ~FileDropTarget() = default;

  // The file list, copied into memory of the window's own to free
  // (DragFinish), and posted: the source waits for Drop to return, never for
  // the files to be taken in.
  bool postDrop(IDataObject* data) {
    FORMATETC files = kFiles;
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&files, &medium))) return false;
    HGLOBAL copy = nullptr;
    if (medium.tymed == TYMED_HGLOBAL) {
      const ScopedGlobalLock list(medium.hGlobal);
      if (list.data()) copy = CopyToGlobalMemory(list.data(), list.size());
    }
    ReleaseStgMedium(&medium);
    if (copy && PostMessageW(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(copy), 0)) return true;
    if (copy) GlobalFree(copy);
    return false;
  }

  LONG references_ = 1;
  HWND window_;
  bool accepts_ = false;
};

}  // namespace

void DropTarget::enable(HWND window, Callback callback, HoverCallback hover) {
  disable();
  window_ = window;
  callback_ = std::move(callback);
  hover_ = std::move(hover);
  DragAcceptFiles(window, TRUE);
  SetWindowSubclass(window, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (!IsWindowsXp()) OpenMessageFilterForDrops();
  // Refused on a thread without OLE: files then come as WM_DROPFILES only.
  oleTarget_.reset(FileDropTarget::Create(window));
  if (oleTarget_ && FAILED(RegisterDragDrop(window, oleTarget_.get()))) oleTarget_.reset();
}

void DropTarget::disable() {
  if (!window_) return;
  if (oleTarget_) RevokeDragDrop(window_);
  oleTarget_.reset();
  DragAcceptFiles(window_, FALSE);
  RemoveWindowSubclass(window_, SubclassProc, kSubclassId);
  window_ = nullptr;
}

LRESULT CALLBACK DropTarget::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR self) {
  return reinterpret_cast<DropTarget*>(self)->windowProc(window, message, wParam, lParam);
}

LRESULT DropTarget::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DROPFILES) {
    onDropFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  if (message == kDropHoverMessage) {
    if (hover_) hover_(wParam != FALSE);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    // The window is going away: nothing is left to restore.
    if (oleTarget_) RevokeDragDrop(window);
    oleTarget_.reset();
    RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    window_ = nullptr;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void DropTarget::onDropFiles(HDROP drop) {
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> names;
  for (UINT i = 0; i < count; ++i) {
    // Each name is read at its full length, so a long path is never cut.
    const UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string name(length + 1, '\0');
    DragQueryFileA(drop, i, name.data(), length + 1);
    name.resize(length);
    names.push_back(std::move(name));
  }
  DragFinish(drop);
  // Called through a copy: a run started from it may end the drop target.
  if (callback_ && !names.empty()) {
    const Callback callback = callback_;
    callback(names);
  }
}

bool IsWindowsXp() {
  OSVERSIONINFOEXA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return false;
#pragma GCC diagnostic pop
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  // GetVersionExA may report an older version to programs without a manifest
  // entry for the running system; the loader's own numbers are the true ones.
  using VersionFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
  auto trueVersion = reinterpret_cast<VersionFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetNtVersionNumbers")));
  if (trueVersion) {
    DWORD build = 0;
    trueVersion(&version.dwMajorVersion, &version.dwMinorVersion, &build);
    version.dwBuildNumber = build & 0xFFFF;
  }
  if (version.dwMajorVersion == 5 && version.dwMinorVersion == 1) return true;
  return version.dwMajorVersion == 5 && version.dwMinorVersion == 2 &&
         GetSystemMetrics(SM_SERVERR2) == 0 && (version.wSuiteMask & 0xA000) == 0 &&
         version.wProductType == VER_NT_WORKSTATION &&
         system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}
