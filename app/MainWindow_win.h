#pragma once
#include <windows.h>

#include <string>

#include "app/DropTarget_win.h"
#include "extract/Pipeline.h"
#include "output/DragOut_win.h"
#include "output/FileDialog_win.h"
#include "output/PictureStore.h"

// The long-lived objects of the program, owned by WinMain and outliving the
// main window.
struct AppContext {
  std::string runDirectory;
  DropTarget dropTarget;
  ComPtr<IconDragSource> dragSource;  // the program's reference, for its whole life
  PictureStore picture;   // the current icon, shown by the picture box
  FileDialog dialog;      // the one file dialog, shared by import and save

  PipelineContext pipeline() {
    return {runDirectory, [this](std::uint32_t colour) { picture.setBackground(colour); }};
  }
};

// Creates and shows the main window with its controls. As soon as they exist
// the helper tools are written into the run directory, the window goes on top
// and the drop target starts accepting files. nullptr when the window cannot
// be made.
HWND CreateMainWindow(HINSTANCE instance, AppContext& app);

// Flips always-on-top; the button's caption says which way.
void ToggleAlwaysOnTop(HWND mainWindow);
