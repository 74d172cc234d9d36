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

// The icon entry the badging names: the last PNG line wins, WebP lines count
// only when there is none. When the badging names only an adaptive (XML)
// icon, the package's own listing is searched for its raster fallbacks.
std::string ChooseIconEntry(const PipelineContext& context, PatternMatcher& matcher, const std::string& badging,
                            const std::string& quotedPackage) {
  std::string found = LastIconEntry(matcher, "application-icon(.*?):'(.*?).png'", badging);
  if (!found.empty()) return found + ".png";
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?).webp'", badging);
  if (!found.empty()) return found + ".webp";
  const std::string xml = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.xml'", badging);
  if (xml.empty()) return {};
  // The names as the unzip tool prints them are the names it accepts back.
  return ChooseRasterIcon(RunConsoleCommand(context.toolPath(kUnzipTool), "-Z1 " + quotedPackage), xml);
}

// True when the package's directory gives the entry an uncompressed size
// that the program would read at all; a larger entry is never written out.
bool EntryFitsReadCap(const PipelineContext& context, const std::string& quotedPackage, const std::string& entry) {
  const std::string listing =
      RunConsoleCommand(context.toolPath(kUnzipTool), "-Z " + quotedPackage + " \"" + entry + "\"");
  const std::optional<std::uint64_t> size = ZipInfoEntrySize(listing, entry);
  return size && *size <= kMaxReadBytes;
}

}  // namespace

Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath) {
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
  const std::string iconPath = ChooseIconEntry(context, matcher, badging, quotedPackage);
  if (iconPath.empty()) return {};
  // The entry name comes from inside the package: it must be safe on the
  // command line and as a local file name, or it counts as no icon.
  const std::string name = ExtractedName(iconPath, "/");
  if (name.empty() || !EntryFitsReadCap(context, quotedPackage, iconPath)) return {};

  // -n: an entry stored twice under one name is written once, with no
  // question asked of a tool that has no input.
  Bytes icon = RunExtraction(
      context, kUnzipTool, "-n -j " + quotedPackage + " \"" + iconPath + "\" -d \"" + work.path() + "\"", work, name);
  // WebP by the entry's extension, not by "webp" anywhere in its path (an
  // icon named ic_webpage.png is a PNG).
  if (iconPath.ends_with(".webp")) {
    ConvertWebpToPng(context, work.file(name));
    icon = ReadWholeFile(WorkFilePath(context));
  }
  return icon;
}
