#pragma once
// Image files taken in as they are: icon files and loose pictures.
#include "support/Bytes.h"

// An icon (.ico) file as the picture of its route: every image that reads,
// as stored, the one it shows best first: the largest (width x height, then
// bit depth, then the earlier entry). Empty bytes for a damaged or hostile
// file, or when that best image does not decode.
Bytes IconFileAsGroup(ByteSpan ico);

// A loose picture as the picture box takes it: a crushed (CgBI) PNG, as
// pulled out of an iOS package by hand, becomes a standard PNG in true
// colours that keeps its transparency (colours un-premultiplied); anything
// else stays as it is.
Bytes StandardPicture(ByteSpan bytes);
