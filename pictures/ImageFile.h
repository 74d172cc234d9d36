#pragma once
// Image files taken in as they are: icon files and loose pictures.
#include "support/Bytes.h"

// The image an icon (.ico) file shows best: the largest (width x height,
// then bit depth, then the earlier entry), as a PNG with its alpha: a PNG
// entry byte for byte, a bitmap entry converted (its mask applied where it
// has no alpha). Empty bytes for a damaged or hostile file.
Bytes IconFileToPng(ByteSpan ico);

// A loose picture as the picture box takes it: a crushed (CgBI) PNG, as
// pulled out of an iOS package by hand, becomes a standard PNG in true
// colours that keeps its transparency (colours un-premultiplied); anything
// else stays as it is.
Bytes StandardPicture(ByteSpan bytes);
