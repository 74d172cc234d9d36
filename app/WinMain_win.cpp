// The window program. It reads no command line: a file named there is ignored.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "app/MainWindow_win.h"
#include "app/RunDirectory_win.h"
#include "image/ImageCodec_win.h"
#include "support/MessagePump_win.h"
#include "support/ScopedWin_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearchToSystem();
  // Dragging the icon out is OLE drag and drop, which needs OLE on this thread.
  const ScopedOle ole;

  // Buttons, and the tooltip of the picture box.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  AppContext app;
  app.runDirectory = RunDirectory();
  // The run directory is the current directory from start on; the helper
  // tools are named by full path all the same.
  SetCurrentDirectoryA(app.runDirectory.c_str());

  HWND window = CreateMainWindow(instance, app);
  int exitCode = 1;
  if (window) {
    HACCEL shortcuts = CreateKeyboardShortcuts();
    SetNavigationWindow(window, shortcuts);
    exitCode = RunMessageLoop();
    SetNavigationWindow(nullptr);
    if (shortcuts) DestroyAcceleratorTable(shortcuts);
  }
  app.dragSource.reset();
  app.dropTarget.disable();
  StopCodec();
  return exitCode;
}
