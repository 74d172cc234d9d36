#pragma once
// The row under the picture box that lists the images of the picture, each
// as a small cell: its size ("48"), and its depth below ("8-bit") where
// another image has the same size. The chosen one is marked; a click on a
// cell, or Left, Right, Home and End while the row has the focus, chooses
// another, which the box then shows and Save, Copy and a drag give out.
// When the cells do not all fit, whole cells show, the chosen one always
// among them, and an arrow stands at each end where more are hidden; a
// click on it steps the choice that way. The row takes part in Tab only
// while there is a choice to make.
#include <windows.h>

#include "output/PictureStore.h"

HWND CreateSizeRow(HWND parent, int id, PictureStore& store);

// Reads the store again: the items of a new picture, the chosen image. While
// the box says it is reading (busy) in place of the picture, the row shows
// no cells either and takes no input.
void UpdateSizeRow(HWND row, bool busy);
