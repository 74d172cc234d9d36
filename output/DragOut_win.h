#pragma once
// Dragging the icon out of the picture box as a file: the picture (the
// chosen image of an icon group) is written as a PNG into the program's
// drag folder, under the name a save would propose (game.apk.png), and that
// file is offered to drop targets as CF_HDROP, for copying.
#include <windows.h>

#include <ole2.h>

#include <string>

#include "support/Bytes.h"
#include "support/ScopedWin_win.h"

class PictureStore;

// The program's one drop source (IDropSource). Born holding one reference,
// which the program keeps for its whole life; DoDragDrop takes its own.
class IconDragSource final : public IDropSource {
 public:
  static IconDragSource* Create();

  // IUnknown
  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  IFACEMETHODIMP_(ULONG) AddRef() override;
  IFACEMETHODIMP_(ULONG) Release() override;
  // IDropSource
  IFACEMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  IFACEMETHODIMP GiveFeedback(DWORD effect) override;

  // Offers the file at path (in the system code page) as CF_HDROP and runs
  // the drag, for copying only. True when the drag ended in a drop
  // (DoDragDrop returned DRAGDROP_S_DROP); false when it was cancelled or
  // could not start.
  bool dragOut(const std::string& path);

 private:
  IconDragSource() = default;
  ~IconDragSource() = default;

  ScopedOle com_{ScopedOle::ComOnly};  // first in, so the last to go
  LONG references_ = 1;
};

// The picture box's drag handler (the mouse has moved beyond the system's
// drag threshold): nothing for an empty picture; otherwise the file is
// written completely into dragFolder and offered. A file that cannot be
// written starts no drag. True when the file was offered, however the drag
// then ended.
bool StartIconDrag(const std::string& dragFolder, const PictureStore& picture, IconDragSource& source);

// True while this program drags the icon out: a drop onto its own window
// then takes nothing in.
bool DraggingIconOut();

// The data object a drag offers (holding one reference for the caller),
// serving the DROPFILES block given as CF_HDROP (nothing when it is empty),
// and whatever a drop target sets on it. Each object owns its media.
HRESULT CreateIconDataObject(IDataObject** object, ByteSpan dropFiles = {});
