#pragma once
// Which pipeline a dropped or imported file goes to, by the first of the
// extension texts ".apk", ".webp", ".exe", ".ipa", ".lnk" that occurs
// anywhere in its path (case-sensitive; a folder named x.apk counts).
#include <string_view>

#include "support/TextScan.h"

enum class FileRoute { None, AndroidPackage, WebpImage, Executable, IosPackage, Shortcut };

FileRoute RouteByPath(std::string_view path, LeadBytePredicate isLead);
