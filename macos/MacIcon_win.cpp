#include "macos/MacIcon_win.h"

#include <string_view>

#include "macos/AppBundle.h"
#include "macos/Icns.h"
#include "macos/Plist.h"
#include "support/FileIo_win.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"

namespace {

// The images of an icon set as an icon group, the largest first; "damaged"
// when the set gives none.
Bytes IcnsIcon(const PipelineContext& context, const Bytes& icns) {
  Bytes group = IcnsIconGroup(icns);
  if (group.empty()) context.report(IconReason::Damaged);
  return group;
}

// The icon of the first app among the entries; nothing (and no reason)
// when there is no app.
Bytes AppIcon(const PipelineContext& context, const ArchiveSource& source, const std::vector<ArchiveEntry>& entries,
              const ArchiveEntry& plist) {
  const Bytes info = ReadArchiveEntry(context, source, plist, kMaxPlistBytes);
  const ArchiveEntry* icon = FindAppIcon(entries, plist, PlistString(AsText(info), "CFBundleIconFile"),
                                         PlistString(AsText(info), "CFBundleIconName"));
  if (!icon) return {};  // an icon only in Assets.car, or none: no icon
  return IcnsIcon(context, ReadArchiveEntry(context, source, *icon, kMaxIcnsBytes));
}

}  // namespace

Bytes ExtractIcnsIcon(const PipelineContext& context, const std::string& path) {
  return IcnsIcon(context, ReadWholeFile(path, kMaxIcnsBytes));
}

Bytes ExtractZippedAppIcon(const PipelineContext& context, const std::string& path) {
  const ArchiveSource zip{path, "-tzip", EntryText::Narrow};
  const std::vector<ArchiveEntry> entries = ListArchive(context, zip);
  if (entries.empty()) return {};
  const ArchiveEntry* plist = FindAppInfoPlist(entries);
  if (!plist) {
    context.report(IconReason::Unsupported);  // a ZIP, but no app in it
    return {};
  }
  return AppIcon(context, zip, entries, *plist);
}

Bytes ExtractDmgIcon(const PipelineContext& context, const std::string& path) {
  // Trying a file system that is not the image's is no damage.
  PipelineContext trying = context;
  trying.reason = nullptr;
  for (const char* type : {"-thfs.dmg", "-tapfs.dmg", "-tfat.dmg"}) {
    const ArchiveSource image{path, type, EntryText::Narrow};
    const std::vector<ArchiveEntry> entries = ListArchive(trying, image);
    if (entries.empty()) continue;
    if (const ArchiveEntry* plist = FindAppInfoPlist(entries)) return AppIcon(context, image, entries, *plist);
    if (const ArchiveEntry* volumeIcon = FindVolumeIcon(entries))
      return IcnsIcon(context, ReadArchiveEntry(context, image, *volumeIcon, kMaxIcnsBytes));
    return {};
  }
  context.report(IconReason::Damaged);
  return {};
}
