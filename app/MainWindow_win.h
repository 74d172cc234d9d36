#pragma once
#include <windows.h>

#include <shobjidl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/DropTarget_win.h"
#include "app/ImportWorker_win.h"
#include "output/DragOut_win.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"
#include "support/ScopedWin_win.h"
#include "tools/Pipeline.h"
#include "tools/WorkFolder_win.h"

// The long-lived objects of the program, owned by WinMain and outliving the
// main window.
struct AppContext {
  std::string runDirectory;
  bool runDirectoryReady = false;  // helper tools written, stale work folders removed
  DropTarget dropTarget;
  ComPtr<IconDragSource> dragSource;  // made at the first drag, then kept for the program's life
  std::unique_ptr<WorkFolder> dragFolder;  // the dragged files; made at the first drag, removed at exit
  PictureStore picture;   // the current icon, shown by the picture box
  FileDialog dialog;      // the one file dialog, shared by import and save
  ScopedGdiObject<HFONT> font;  // the controls' font, made for fontDpi
  UINT fontDpi = 0;
  HWND buttonTips = nullptr;  // the buttons' tooltips; owned by no window, destroyed with the main window
  ComPtr<ITaskbarList3> taskbar;  // once the taskbar button exists; may stay empty
  std::vector<std::string> filesAtStart;  // from the command line, full paths; taken in once ready
  ImportWorker importer;  // the import under way, on its own thread
  std::uint64_t importsStarted = 0;
  std::size_t importCount = 0;  // files in the latest import
  std::vector<ImportOutcome> results;  // what each file of a several-file import gave, in order  // tells the outcomes of the latest import from those of one it replaced

  // Readies the run directory, once: after the window's first paint, or
  // before the first pipeline if one comes sooner.
  void prepareRunDirectory();

  PipelineContext pipeline() {
    prepareRunDirectory();  // every pipeline needs the helper tools in place
    return {runDirectory};
  }
};

// Creates and shows the main window with its controls, laid out for the DPI
// of the screen it opens on. As soon as they exist the window goes on top and
// the drop target starts accepting files; the helper tools are written into
// the run directory once the window has painted. nullptr when the window
// cannot be made.
HWND CreateMainWindow(HINSTANCE instance, AppContext& app);

// Ctrl+O import, Ctrl+C copy, Ctrl+S save, Ctrl+V take in a copied file: the
// main window's commands, for the message loop to translate.
HACCEL CreateKeyboardShortcuts();

// Flips always-on-top; the button's caption says which way.
void ToggleAlwaysOnTop(HWND mainWindow);
