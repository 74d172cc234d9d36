#include "android/ApkBundleIcon_win.h"

#include <windows.h>

#include <functional>

#include "android/ApkBundle.h"
#include "android/ApkIconChoice.h"
#include "android/ApkIcon_win.h"
#include "support/TextCodec_win.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

namespace {

// The base package an .xapk's manifest names, in the process's narrow text
// as the listing is; empty when there is no readable manifest.
std::string ManifestBase(const PipelineContext& context, const ArchiveSource& bundle,
                         const std::vector<ArchiveEntry>& entries) {
  for (const ArchiveEntry& entry : entries) {
    if (entry.path != "manifest.json") continue;
    const Bytes json = ReadArchiveEntry(context, bundle, entry, kMaxManifestBytes);
    return ToolTextToNarrow(ManifestBaseFile(std::string_view(reinterpret_cast<const char*>(json.data()), json.size())));
  }
  return {};
}

// What the first density split, densest first, gives: each split is placed
// in a work folder of its own, gone before the next is tried, and asked by
// take (the work folder, the split's file) for the bytes.
Bytes FirstFromDensitySplits(const PipelineContext& context, const ArchiveSource& bundle,
                             const std::vector<ArchiveEntry>& splits,
                             const std::function<Bytes(const WorkFolder&, const std::string&)>& take) {
  for (const ArchiveEntry& split : splits) {
    const WorkFolder work(context.runDirectory);
    const std::string package = PlaceArchiveEntry(context, bundle, split, kMaxInnerArchiveBytes, work, "split.apk");
    if (package.empty()) continue;
    Bytes found = take(work, package);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

Bytes ExtractApkBundleIcon(const PipelineContext& context, const std::string& bundlePath) {
  const ArchiveSource bundle{bundlePath, "-tzip", EntryText::Narrow};
  const std::vector<ArchiveEntry> entries = ListArchive(context, bundle, KeptBundleEntry, kMaxBundleEntries);
  const ArchiveEntry base = ChooseBundleBase(entries, ManifestBase(context, bundle, entries));
  if (base.path.empty()) return {};
  const WorkFolder work(context.runDirectory);
  const std::string basePackage = PlaceArchiveEntry(context, bundle, base, kMaxInnerArchiveBytes, work, "base.apk");
  if (basePackage.empty()) return {};
  const std::vector<ArchiveEntry> splits = DensitySplits(entries);
  // The named icon: a raster file of its name in a split. A drawn icon's
  // bitmap layer: the exact entry the base package's resources name.
  const IconElsewhere iconElsewhere = [&](const std::string& namedEntry) {
    return FirstFromDensitySplits(context, bundle, splits, [&](const WorkFolder& work, const std::string& package) {
      const std::string entry =
          ChooseRasterIcon(ListZipNames(package), namedEntry);
      return entry.empty() ? Bytes() : ExtractApkIconEntry(context, work, package, entry);
    });
  };
  const EntryElsewhere entryElsewhere = [&](const std::string& entry) {
    return FirstFromDensitySplits(context, bundle, splits, [&](const WorkFolder& work, const std::string& package) {
      return ExtractApkIconEntry(context, work, package, entry);
    });
  };
  return ExtractApkIcon(context, basePackage, iconElsewhere, entryElsewhere);
}
