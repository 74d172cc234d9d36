#pragma once
// Accepts files dropped from the shell onto a window: subclasses the window
// to receive WM_DROPFILES and calls back once per dropped file, in the order
// the shell reports them. OLE drags of files come the same way: the window's
// registered drop target hands each drop on as WM_DROPFILES.
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "support/ScopedWin_win.h"

// From the OLE drop target to the window it serves: files are dragged over
// it (wParam TRUE), or no more (FALSE).
inline constexpr UINT kDropHoverMessage = WM_APP + 40;

class DropTarget {
 public:
  // The files of one drop, in the order the drop lists them.
  using Callback = std::function<void(const std::vector<std::string>& paths)>;
  // Files are being dragged over the window (true), or no more (false).
  using HoverCallback = std::function<void(bool over)>;

  DropTarget() = default;
  // A copy would restore the window procedure a second time.
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;
  ~DropTarget() { disable(); }

  void enable(HWND window, Callback callback, HoverCallback hover = nullptr);
  void disable();

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void onDropFiles(HDROP drop);

  HWND window_ = nullptr;
  Callback callback_ = nullptr;
  HoverCallback hover_ = nullptr;
  ComPtr<IDropTarget> oleTarget_;  // registered for window_; none when OLE is not started
};

// True on Windows XP (5.1, or the x64 edition's 5.2 workstation).
bool IsWindowsXp();
