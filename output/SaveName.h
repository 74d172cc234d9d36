#pragma once
// The name a saved picture gets: in the file-name part of the chosen path,
// every ".png" (exact bytes, so ".PNG" stays) is removed, then ".png" is
// appended. "icon" -> "icon.png", "my.png.icon" -> "my.icon.png",
// "icon.PNG" -> "icon.PNG.png". The folders stay as chosen.
#include <string>
#include <string_view>

#include "support/TextScan.h"

std::string PngSaveName(std::string_view chosenPath, LeadBytePredicate isLead);
