#pragma once
// The icons of macOS apps: icon sets (.icns), and app bundles in the ZIP
// archives releases ship them in. Each set is handed over as an icon group
// of its images, the largest first (IcnsIconGroup, macos/Icns.h). Empty
// bytes when there is no icon.
#include <string>

#include "support/Bytes.h"
#include "tools/Pipeline.h"

// An .icns file.
Bytes ExtractIcnsIcon(const PipelineContext& context, const std::string& path);

// A .zip holding an .app: the 7-Zip console lists it as a ZIP, reads the
// shallowest app's Info.plist and the .icns it names (macos/AppBundle.h).
// A ZIP without an app gives the reason "unsupported".
Bytes ExtractZippedAppIcon(const PipelineContext& context, const std::string& path);

// A disk image (.dmg, UDIF): 7-Zip opens the image and the file system of
// its main partition in one go (HFS+, APFS or FAT, each named in turn), and
// reads only the first app's Info.plist and icon set; the partition is never
// written out. Without an app, the volume's .VolumeIcon.icns.
Bytes ExtractDmgIcon(const PipelineContext& context, const std::string& path);
