#pragma once
// Turning an executable's icon resources into an icon file: the first icon
// group, whole, with the entry chosen by the rule below as its first image.
#include <cstdint>
#include <functional>
#include <vector>

#include "support/Bytes.h"
#include "windows/PeResources.h"

struct IconEntryChoice {
  int entry = -1;          // 0-based index in the group; -1 when the group has no entry
  std::uint16_t iconId = 0;
};

// The entry shown: the largest width x height (a stored 0 is 256), then the
// most bits per pixel; a tie keeps the earlier entry (OutranksIconImage, the
// rule icon files follow too).
IconEntryChoice ChooseIconEntry(ByteSpan group);

// The icon file for that choice: the chosen entry first, then the group's
// other entries in their order, each image as stored under its entry's
// first eight bytes and its real length. imageOf gives an entry's image by
// identifier, empty when there is none: such entries are left out, and
// without the chosen image there is no icon file (empty bytes).
Bytes AssembleIconFile(ByteSpan group, const IconEntryChoice& choice,
                       const std::function<ByteSpan(std::uint16_t iconId)>& imageOf);

// The whole rule over an executable's bytes: empty bytes when it has no icon
// group, or when the chosen image is missing (an icon file without an image
// would show nothing).
// True when the file holds at least one icon group.
bool HasIconGroups(ByteSpan file);

// Each resource in the language the platform would take for a user whose UI
// language is uiLanguage (0: none).
Bytes ExtractIconFromPe(ByteSpan file, std::uint16_t uiLanguage = 0);
