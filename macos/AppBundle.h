#pragma once
// A macOS application bundle inside an archive (a .zip as releases ship
// them, a disk image): "X.app/Contents/Info.plist" names the icon file in
// "X.app/Contents/Resources/".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/ArchiveListing.h"

// The Info.plist of the .app at the shallowest depth (a tie to the earlier
// entry), paths as listed ('\' or '/' between folders). Entries under
// "__MACOSX", AppleDouble "._" files and symbolic links never count.
const ArchiveEntry* FindAppInfoPlist(const std::vector<ArchiveEntry>& entries);

// A disk image's volume icon: ".VolumeIcon.icns" at the volume's root,
// which 7-Zip lists at the top (FAT) or in a folder named after the volume
// (HFS+: "Demo\.VolumeIcon.icns"); the top one first. Links never count.
const ArchiveEntry* FindVolumeIcon(const std::vector<ArchiveEntry>& entries);

// The icon file the plist's CFBundleIconFile names (with or without
// ".icns"), else its CFBundleIconName, else "AppIcon.icns", in the app's
// Resources folder; nullptr when that entry is missing or a link.
const ArchiveEntry* FindAppIcon(const std::vector<ArchiveEntry>& entries, const ArchiveEntry& infoPlist,
                                const std::optional<std::string>& iconFile, const std::optional<std::string>& iconName);
