#include "extract/ApkIcon_win.h"

#include "extract/ApkIconChoice.h"
#include "extract/ConsoleRunner_win.h"
#include "extract/Extraction_win.h"
#include "extract/HelperTools.h"
#include "extract/ToolArgument_win.h"
#include "extract/WebpConvert_win.h"
#include "support/FileIo_win.h"
#include "support/PatternMatcher.h"
#include "support/TextCodec_win.h"

namespace {

// Capture group 2 of the last line matching the pattern, or empty.
std::string LastIconEntry(PatternMatcher& matcher, const char* pattern, const std::string& badging) {
  matcher.search(pattern, badging);
  return matcher.subMatchText(matcher.matchCount(), 2);
}

struct IconChoice {
  std::string named;  // the entry the badging names
  std::string entry;  // the entry to extract; empty for an adaptive icon with no raster file here
};

// The icon entry the badging names: the last PNG line wins, WebP lines count
// only when there is none. When the badging names only an adaptive (XML)
// icon, the package's own listing is searched for its raster fallbacks.
// Large packages also name icons without an extension
// ('res/drawable-xxhdpi-v4/app_icon'): with no line of the three kinds, the
// last line is taken whatever its name. The dots are literal, so such a
// name that merely ends in "png" is not taken for "<name>.png".
IconChoice ChooseIconEntry(const PipelineContext& context, PatternMatcher& matcher, const std::string& badging,
                           const std::string& quotedPackage) {
  std::string found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.png'", badging);
  if (!found.empty()) return {found + ".png", found + ".png"};
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.webp'", badging);
  if (!found.empty()) return {found + ".webp", found + ".webp"};
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.xml'", badging);
  if (!found.empty()) {
    // The names as the unzip tool prints them are the names it accepts back.
    const std::string raster =
        ChooseRasterIcon(RunConsoleCommand(context.toolPath(kUnzipTool), "-Z1 " + quotedPackage), found + ".xml");
    return {found + ".xml", raster};
  }
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?)'", badging);
  return {found, found};
}

// What the package's directory says of an entry: absent, or present with an
// uncompressed size the program would read at all or not (a larger entry is
// never written out).
enum class EntryPresence { Missing, TooLarge, Fits };
EntryPresence ZipEntryPresence(const PipelineContext& context, const std::string& quotedPackage, const std::string& entry) {
  const std::string listing =
      RunConsoleCommand(context.toolPath(kUnzipTool), "-Z " + quotedPackage + " \"" + entry + "\"");
  const std::optional<std::uint64_t> size = ZipInfoEntrySize(listing, entry);
  if (!size) return EntryPresence::Missing;
  return *size <= kMaxReadBytes ? EntryPresence::Fits : EntryPresence::TooLarge;
}

// Extracts an entry that passed the guard (as name) and fits the read cap.
Bytes ReadIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& quotedPackage,
                    const std::string& entry, const std::string& name) {
  // -n: an entry stored twice under one name is written once, with no
  // question asked of a tool that has no input.
  const Bytes icon = RunExtraction(
      context, kUnzipTool, "-n -j " + quotedPackage + " \"" + entry + "\" -d \"" + work.path() + "\"", work, name);
  switch (ClassifyIconEntry(entry, icon)) {
    case IconEntryKind::Keep: return icon;
    case IconEntryKind::ConvertWebp:
      ConvertWebpToPng(context, work.file(name));
      return ReadWholeFile(WorkFilePath(context));
    case IconEntryKind::Drop: break;
  }
  return {};
}

}  // namespace

Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath) {
  return ExtractApkIcon(context, packagePath, IconElsewhere(), EntryElsewhere());
}

Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath, const IconElsewhere& iconElsewhere,
                     const EntryElsewhere& entryElsewhere) {
  PatternMatcher matcher(SystemNarrowCodec());
  const std::string quotedPackage = "\"" + packagePath + "\"";
  EndToolRun(kPackagingTool);
  EndToolRun(kUnzipTool);
  const WorkFolder work(context.runDirectory);

  // The packaging tool reads its command line in the system's ANSI code page.
  const ToolArgument package = AnsiToolArgument(context, work, packagePath);
  if (package.text.empty()) return {};
  const std::string badging = ToolTextToNarrow(RunConsoleCommand(
      context.toolPath(kPackagingTool), "dump badging \"" + package.text + "\"",
      package.folder.empty() ? context.runDirectory : package.folder));
  const IconChoice icon = ChooseIconEntry(context, matcher, badging, quotedPackage);
  if (icon.named.empty()) return {};
  const Bytes none;
  if (icon.entry.empty()) {
    Bytes found = iconElsewhere ? iconElsewhere(icon.named) : none;
    // No bitmap of the icon's name anywhere: the drawable itself is drawn.
    if (found.empty() && icon.named.ends_with(".xml")) {
      found = DrawApkIcon(context, package, packagePath, icon.named, entryElsewhere);
    }
    return found;
  }
  // The entry name comes from inside the package: it must be safe on the
  // command line and as a local file name, or it counts as no icon.
  const std::string name = ExtractedName(icon.entry, "/");
  if (name.empty()) return {};
  switch (ZipEntryPresence(context, quotedPackage, icon.entry)) {
    case EntryPresence::Missing: return iconElsewhere ? iconElsewhere(icon.named) : none;
    case EntryPresence::TooLarge: return {};
    case EntryPresence::Fits: break;
  }
  return ReadIconEntry(context, work, quotedPackage, icon.entry, name);
}

Bytes ExtractApkIconEntry(const PipelineContext& context, const WorkFolder& work, const std::string& packagePath,
                          const std::string& entry) {
  const std::string quotedPackage = "\"" + packagePath + "\"";
  const std::string name = ExtractedName(entry, "/");
  if (name.empty() || ZipEntryPresence(context, quotedPackage, entry) != EntryPresence::Fits) return {};
  return ReadIconEntry(context, work, quotedPackage, entry, name);
}
