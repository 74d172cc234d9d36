#pragma once
// "全部保存": every icon of a several-file import written into one folder
// the user chooses, named as batch mode names them ("<file name>.png").
#include <windows.h>

#include <vector>

#include "app/Intake_win.h"

// Asks for the folder, asks once before replacing files there, and writes
// the icon of each outcome that has one; the folder is kept as the last
// save folder. The number of icons written.
int SaveAllIcons(HWND owner, const std::vector<ImportOutcome>& outcomes);
