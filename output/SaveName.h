#pragma once
// The name a saved picture gets: in the file-name part of the chosen path,
// every ".png" (exact bytes, so ".PNG" stays) is removed, then ".png" is
// appended. "icon" -> "icon.png", "my.png.icon" -> "my.icon.png",
// "icon.PNG" -> "icon.PNG.png". The folders stay as chosen.
#include <functional>
#include <string>
#include <string_view>

#include "support/TextScan.h"

std::string PngSaveName(std::string_view chosenPath, LeadBytePredicate isLead);

// The name a saved icon file gets: one trailing ".ico" or ".png" (any case)
// is removed from the file-name part, then ".ico" is appended.
// "app" -> "app.ico", "app.PNG" -> "app.ico", "app.ico.png" -> "app.ico.ico".
std::string IcoSaveName(std::string_view chosenPath, LeadBytePredicate isLead);

// The name the save dialog proposes for a picture taken from sourcePath: the
// name a save would really write (PngSaveName), so the dialog's replace
// question names that file. A picture file (.png or .ico, any case) would
// write over itself or its twin: "<stem> (icon).png" instead, then
// "(icon 2)", "(icon 3)", ... while exists says the name is taken (at most
// 99 tries). Empty for an empty source.
std::string SaveProposal(std::string_view sourcePath, LeadBytePredicate isLead,
                         const std::function<bool(const std::string&)>& exists);
