#include "android/ApkIcon_win.h"

#include "android/ApkDrawnIcon_win.h"

#include "android/ApkIconChoice.h"
#include "support/FileIo_win.h"
#include "support/PatternMatcher.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "tools/ToolArgument_win.h"
#include "tools/WebpConvert_win.h"

namespace {

// Capture group 2 of the last line matching the pattern, or empty.
std::string LastIconEntry(PatternMatcher& matcher, const char* pattern, const std::string& badging) {
  matcher.search(pattern, badging);
  return matcher.subMatchText(matcher.matchCount(), 2);
}

struct IconChoice {
  std::string named;  // the entry the badging names
  std::string entry;  // the entry to extract; empty for an adaptive icon with no raster file here
  std::vector<std::string> others;  // the icon's raster files at other densities, best first
};

// The other entries of a list, the chosen one and XML drawables left out,
// at most kMaxDensityEntries of them.
std::vector<std::string> OtherRasterEntries(const std::vector<std::string>& entries, const std::string& chosen) {
  std::vector<std::string> others;
  for (const std::string& entry : entries) {
    if (others.size() == kMaxDensityEntries) break;
    if (entry != chosen && !entry.ends_with(".xml")) others.push_back(entry);
  }
  return others;
}

// The icon entry the badging names: the last PNG line wins, WebP lines count
// only when there is none. When the badging names only an adaptive (XML)
// icon, the package's own listing is searched for its raster fallbacks.
// Large packages also name icons without an extension
// ('res/drawable-xxhdpi-v4/app_icon'): with no line of the three kinds, the
// last line is taken whatever its name. The dots are literal, so such a
// name that merely ends in "png" is not taken for "<name>.png".
IconChoice ChooseBadgingIcon(PatternMatcher& matcher, const std::string& badging, const std::string& packagePath) {
  const auto fromBadging = [&badging](const std::string& entry) -> IconChoice {
    return {entry, entry, OtherRasterEntries(BadgingIconEntries(badging), entry)};
  };
  std::string found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.png'", badging);
  if (!found.empty()) return fromBadging(found + ".png");
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.webp'", badging);
  if (!found.empty()) return fromBadging(found + ".webp");
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.xml'", badging);
  if (!found.empty()) {
    const std::vector<std::string> rasters = RankedRasterIcons(ListZipNames(packagePath), found + ".xml");
    if (rasters.empty()) return {found + ".xml", {}, {}};
    return {found + ".xml", rasters.front(), OtherRasterEntries(rasters, rasters.front())};
  }
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)'", badging);
  return fromBadging(found);
}

}  // namespace

Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath) {
  return ExtractApkIcon(context, packagePath, IconElsewhere(), EntryElsewhere());
}

Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath, const IconElsewhere& iconElsewhere,
                     const EntryElsewhere& entryElsewhere) {
  PatternMatcher matcher(SystemNarrowCodec());
  const WorkFolder work(context.runDirectory);

  // Neither tool opens paths beyond MAX_PATH; the packaging tool reads its
  // command line in the system's ANSI code page.
  const ToolArgument unzipped = ShortToolArgument(work, packagePath);
  if (unzipped.text.empty()) return {};
  const std::string quotedPackage = "\"" + unzipped.text + "\"";
  const ToolArgument package = AnsiToolArgument(work, unzipped.text);
  if (package.text.empty()) return {};
  const std::string badging = ToolTextToNarrow(RunConsoleCommand(
      context.toolPath(kPackagingTool), "dump badging \"" + package.text + "\"",
      package.folder.empty() ? context.runDirectory : package.folder));
  // A package the tool can read always has its package line.
  if (badging.find("package:") == std::string::npos) context.report(IconReason::Damaged);
  const IconChoice icon = ChooseBadgingIcon(matcher, badging, packagePath);
  if (icon.named.empty()) return {};
  const Bytes none;
  if (icon.entry.empty()) {
    Bytes found = iconElsewhere ? iconElsewhere(icon.named) : none;
    // No bitmap of the icon's name anywhere: the drawable itself is drawn.
    if (found.empty() && icon.named.ends_with(".xml")) {
      found = DrawApkIcon(context, package, unzipped.text, icon.named, entryElsewhere);
    }
    return found;
  }
  // The entry name comes from inside the package: it must be safe on the
  // command line and as a local file name, or it counts as no icon.
  if (ExtractedName(icon.entry, "/").empty()) {
    context.report(IconReason::Refused, Because("an unsafe entry name"));
    return {};
  }
  const ZipEntryListing listed = ListZipEntry(packagePath, icon.entry);
  switch (listed.presence) {
    case EntryPresence::Missing: return iconElsewhere ? iconElsewhere(icon.named) : none;
    case EntryPresence::TooLarge: context.report(IconReason::Damaged); return {};
    case EntryPresence::Fits: break;
  }
  Bytes chosen = ReadIconEntry(context, work, quotedPackage, icon.entry, listed.size);
  if (chosen.empty() || icon.others.empty()) return chosen;
  // The other densities join it as an icon group, to be looked at one by one.
  return DensityIconGroup(std::move(chosen),
                          ReadIconEntriesInPlace(context, work, packagePath, icon.others, kMaxDensityEntryBytes));
}
