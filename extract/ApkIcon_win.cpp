#include "extract/ApkIcon_win.h"

#include <windows.h>

#include "extract/ApkIconChoice.h"
#include "extract/ConsoleRunner_win.h"
#include "extract/Extraction_win.h"
#include "extract/HelperTools.h"
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
std::string ChooseIconEntry(PatternMatcher& matcher, const std::string& badging, const std::string& quotedPackage) {
  std::string found = LastIconEntry(matcher, "application-icon(.*?):'(.*?).png'", badging);
  if (!found.empty()) return found + ".png";
  found = LastIconEntry(matcher, "application-icon(.*?):'(.*?).webp'", badging);
  if (!found.empty()) return found + ".webp";
  const std::string xml = LastIconEntry(matcher, "application-icon(.*?):'(.*?)\\.xml'", badging);
  if (xml.empty()) return {};
  // The names as the unzip tool prints them are the names it accepts back.
  return ChooseRasterIcon(RunConsoleCommand("uz -Z1 " + quotedPackage), xml);
}

}  // namespace

Bytes ExtractApkIcon(const PipelineContext& context, const std::string& packagePath) {
  PatternMatcher matcher(SystemNarrowCodec());
  const std::string quotedPackage = "\"" + packagePath + "\"";
  SetCurrentDirectoryA(context.runDirectory.c_str());
  KillProcessByName(kPackagingTool);
  KillProcessByName(kUnzipTool);

  const std::string badging = Utf8ToGbk(RunConsoleCommand("pt dump badging " + quotedPackage));
  const std::string iconPath = ChooseIconEntry(matcher, badging, quotedPackage);
  if (iconPath.empty()) return {};
  // The entry name comes from inside the package: it must be safe on the
  // command line and as a local file name, or it counts as no icon.
  const std::string extracted = ExtractionTarget(context, iconPath, "/");
  if (extracted.empty()) return {};

  Bytes icon = RunExtraction("uz  -j " + quotedPackage + " \"" + iconPath + "\"", extracted);
  if (iconPath.find("webp") != std::string::npos) {
    ConvertWebpToPng(context, extracted);
    icon = ReadWholeFile(WorkFilePath(context));
  }
  DeleteFileA(extracted.c_str());
  return icon;
}
