#pragma once
// The two outputs of the buttons: saving the picture bytes as a .png file and
// copying the picture to the clipboard as a bitmap.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "output/FileDialog_win.h"
#include "output/PictureStore.h"

// Asks whether an existing file may be replaced; true means yes.
using ReplaceQuestion = std::function<bool(const std::string& path)>;

// Asks for a name in the save dialog, then saves as SavePictureTo does; a
// save that fails is reported in a message box with the system's own text.
void SaveIconAs(HWND owner, const PictureStore& store, FileDialog& dialog);

// Writes the picture as a PNG (ChosenImageAsPng: the chosen image of an icon
// group) under the .png name made from the confirmed path, or as an icon
// file (PictureAsIcon: a group whole) under the .ico name.
// When that name differs from the confirmed one and names an existing file,
// askReplace decides first. Written completely or not at all; a read-only
// target is never replaced. On Failed, GetLastError() tells why.
enum class SaveOutcome { Saved, Declined, Failed };
enum class SaveFormat { Png, Icon };
std::string SaveNameFor(SaveFormat format, const std::string& confirmedPath);
SaveOutcome SavePictureTo(ByteSpan picture, const std::string& confirmedPath, const ReplaceQuestion& askReplace,
                          SaveFormat format = SaveFormat::Png, std::size_t image = 0);

// Puts the chosen image of the picture on the clipboard as an opaque bitmap, white behind
// transparent pixels, and as a PNG with its alpha (registered format "PNG").
// With no picture (Ctrl+C with nothing shown) the clipboard is left as it
// is: what the user copied elsewhere stays. The clipboard's owner is the
// window holding the focus, or owner when no window does (a clipboard
// without an owner refuses data).
void CopyIconToClipboard(HWND owner, const PictureStore& store);

// The window that holds the keyboard focus, even in another thread.
HWND FocusWindowOfForeground();
