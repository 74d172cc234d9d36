#pragma once
// Loose pictures taken in as they are.
#include "support/Bytes.h"

// A loose picture as the picture box takes it: a crushed (CgBI) PNG, as
// pulled out of an iOS package by hand, becomes a standard PNG in true
// colours that keeps its transparency (colours un-premultiplied); anything
// else stays as it is.
Bytes StandardPicture(ByteSpan bytes);
