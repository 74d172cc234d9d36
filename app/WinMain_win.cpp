// The window program. Files named on its command line ("Open with", files
// dropped onto the program's icon) are taken in once the window is up.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/MainWindow_win.h"
#include "app/RunDirectory_win.h"
#include "image/ImageCodec_win.h"
#include "support/MessagePump_win.h"
#include "support/ScopedWin_win.h"
#include "support/TextCodec_win.h"

namespace {

// How long the program waits at exit for the import under way to end.
constexpr ULONGLONG kExitWaitMs = 700;

// The command line's file arguments as full paths, made against the folder
// the program was started in (it changes its current folder at once). Read
// wide, so any name arrives whole.
std::vector<std::string> FilesOnCommandLine() {
  std::vector<std::string> files;
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return files;
  for (int i = 1; i < count; ++i) {
    std::wstring full(32768, L'\0');
    const DWORD n = GetFullPathNameW(arguments[i], static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) continue;
    full.resize(n);
    files.push_back(CodePageFromWide(full, CP_ACP));
  }
  LocalFree(arguments);
  return files;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictLibrarySearchToSystem();
  // Dragging the icon out is OLE drag and drop, which needs OLE on this thread.
  const ScopedOle ole;

  // Buttons, and the tooltip of the picture box.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  AppContext app;
  app.runDirectory = RunDirectory();
  app.filesAtStart = FilesOnCommandLine();
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
  // The import under way was cancelled when the window went; its tool is
  // ended at once, its own work stops at its next check.
  const ULONGLONG closed = GetTickCount64();
  app.importer.cancel();
  app.dragSource.reset();
  app.taskbar.reset();
  app.dragFolder.reset();
  app.dropTarget.disable();
  const ULONGLONG spent = GetTickCount64() - closed;
  if (!app.importer.wait(spent < kExitWaitMs ? DWORD(kExitWaitMs - spent) : 0)) {
    // Whatever it is stuck in, the program is gone within a second of its
    // window; the tools end with it (their job), and the import's work
    // folder goes at the next start.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  }
  StopCodec();
  return exitCode;
}
