#pragma once
// The strip under the size row that keeps what each file of a several-file
// import gave, in the order given: a thumbnail of its icon, or a cross for
// a file without one; its tooltip names the file and, for those, the reason.
// A click, or Left, Right, Home and End while the strip has the focus,
// chooses one, and the window shows it. When the cells do not all fit,
// whole cells show, the chosen one among them, with an arrow at each end
// where more are hidden.
#include <windows.h>

#include <string>
#include <vector>

#include "support/Bytes.h"

// Sent to the parent as WM_COMMAND's notification code when another item
// has been chosen.
inline constexpr WORD kStripChoiceChanged = 0x7001;

struct StripItem {
  Bytes icon;        // the picture; empty when the file gave none
  std::wstring tip;  // the file's name and, without an icon, why
};

HWND CreateResultStrip(HWND parent, int id);
// The strip's items from now on, the one at chosen chosen.
void SetStripItems(HWND strip, std::vector<StripItem> items, std::size_t chosen);
std::size_t StripChoice(HWND strip);
