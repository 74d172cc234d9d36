#include "android/ApkBundleIcon_win.h"

#include <windows.h>

#include <functional>

#include "android/ApkBundle.h"
#include "android/ApkIconChoice.h"
#include "android/ApkIcon_win.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

namespace {

// Packages inside a bundle are handed to the tools, never read whole; this
// cap only keeps a crafted bundle from filling the disk with one entry.
// Store packages stay far below it.
constexpr std::uint64_t kMaxInnerPackageBytes = 1ull << 30;

// Extracts one entry of the bundle into the folder and returns the file's
// path; empty when the entry's name fails the guard, its listed size is
// above maxBytes, or 7-Zip wrote nothing.
std::string ExtractBundleEntry(const PipelineContext& context, const std::string& quotedBundle, const BundleEntry& entry,
                               const WorkFolder& work, std::uint64_t maxBytes) {
  const std::string name = ExtractedName(entry.path, "\\");
  if (name.empty() || entry.size > maxBytes || work.path().empty()) return {};
  // As for iOS packages: the entry's children are excluded (a name used as
  // a file and a folder yields one file), -aos writes a twice-stored entry
  // once without asking, and the tool runs in the run directory.
  RunConsoleCommand(context.toolPath(kArchiveTool),
                    "e -sccUTF-8 -aos \"-o" + work.path() + "\" " + quotedBundle + " \"" + entry.path + "\" \"-x!" +
                        entry.path + "\\*\"",
                    context.runDirectory);
  const std::string file = work.file(name);
  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return file;
}

// The base package an .xapk's manifest names, in the process's narrow text
// as the listing is; empty when there is no readable manifest.
std::string ManifestBase(const PipelineContext& context, const std::string& quotedBundle,
                         const std::vector<BundleEntry>& entries, const WorkFolder& work) {
  for (const BundleEntry& entry : entries) {
    if (entry.path != "manifest.json") continue;
    const std::string file = ExtractBundleEntry(context, quotedBundle, entry, work, kMaxManifestBytes);
    if (file.empty()) return {};
    const Bytes json = ReadWholeFile(file, kMaxManifestBytes);
    DeleteFileA(file.c_str());
    return ToolTextToNarrow(ManifestBaseFile(std::string_view(reinterpret_cast<const char*>(json.data()), json.size())));
  }
  return {};
}

// What the first density split, densest first, gives: each split is
// extracted into a work folder of its own, gone before the next is tried,
// and asked by take (the work folder, the split's path) for the bytes.
Bytes FirstFromDensitySplits(const PipelineContext& context, const std::string& quotedBundle,
                             const std::vector<BundleEntry>& splits,
                             const std::function<Bytes(const WorkFolder&, const std::string&)>& take) {
  for (const BundleEntry& split : splits) {
    const WorkFolder work(context.runDirectory);
    const std::string package = ExtractBundleEntry(context, quotedBundle, split, work, kMaxInnerPackageBytes);
    if (package.empty()) continue;
    Bytes found = take(work, package);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

Bytes ExtractApkBundleIcon(const PipelineContext& context, const std::string& bundlePath) {
  // A run this one interrupts gives up, whichever of the three tools it is in.
  for (const char* tool : {kArchiveTool, kPackagingTool, kUnzipTool}) EndToolRun(tool);
  const std::string quotedBundle = "\"" + bundlePath + "\"";
  // UTF-8 names, whatever the console's code page; the technical listing
  // gives each entry's path and size on lines of their own.
  const std::vector<BundleEntry> entries = ParseBundleListing(
      ToolTextToNarrow(RunConsoleCommand(context.toolPath(kArchiveTool), "l -slt -sccUTF-8 " + quotedBundle)));
  const WorkFolder work(context.runDirectory);
  const BundleEntry base = ChooseBundleBase(entries, ManifestBase(context, quotedBundle, entries, work));
  if (base.path.empty()) return {};
  const std::string basePackage = ExtractBundleEntry(context, quotedBundle, base, work, kMaxInnerPackageBytes);
  if (basePackage.empty()) return {};
  const std::vector<BundleEntry> splits = DensitySplits(entries);
  // The named icon: a raster file of its name in a split. A drawn icon's
  // bitmap layer: the exact entry the base package's resources name.
  const IconElsewhere iconElsewhere = [&](const std::string& namedEntry) {
    return FirstFromDensitySplits(context, quotedBundle, splits, [&](const WorkFolder& work, const std::string& package) {
      const std::string entry =
          ChooseRasterIcon(RunConsoleCommand(context.toolPath(kUnzipTool), "-Z1 \"" + package + "\""), namedEntry);
      return entry.empty() ? Bytes() : ExtractApkIconEntry(context, work, package, entry);
    });
  };
  const EntryElsewhere entryElsewhere = [&](const std::string& entry) {
    return FirstFromDensitySplits(context, quotedBundle, splits, [&](const WorkFolder& work, const std::string& package) {
      return ExtractApkIconEntry(context, work, package, entry);
    });
  };
  return ExtractApkIcon(context, basePackage, iconElsewhere, entryElsewhere);
}
