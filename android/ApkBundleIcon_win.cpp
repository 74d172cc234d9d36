#include "android/ApkBundleIcon_win.h"

#include <windows.h>

#include <functional>
#include <utility>

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

using TakeFromSplit = std::function<Bytes(const WorkFolder&, const std::string&)>;

// What one density split gives: the split is placed in a work folder of its
// own, gone when this returns, and asked by take (the work folder, the
// split's file) for the bytes.
Bytes FromDensitySplit(const PipelineContext& context, const ArchiveSource& bundle, const ArchiveEntry& split,
                       const TakeFromSplit& take) {
  const WorkFolder work(context.runDirectory);
  const std::string package = PlaceArchiveEntry(context, bundle, split, kMaxInnerArchiveBytes, work, "split.apk");
  return package.empty() ? Bytes() : take(work, package);
}

// What the first density split, densest first, gives, and which split that
// is (splits.size() for none).
std::pair<Bytes, std::size_t> FirstFromDensitySplits(const PipelineContext& context, const ArchiveSource& bundle,
                                                     const std::vector<ArchiveEntry>& splits, const TakeFromSplit& take) {
  for (std::size_t i = 0; i < splits.size(); ++i) {
    Bytes found = FromDensitySplit(context, bundle, splits[i], take);
    if (!found.empty()) return {std::move(found), i};
  }
  return {Bytes(), splits.size()};
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
  const auto rasterOf = [&context](const std::string& namedEntry) {
    return [&context, namedEntry](const WorkFolder& work, const std::string& package) {
      const std::string entry = ChooseRasterIcon(ListZipNames(package), namedEntry);
      return entry.empty() ? Bytes() : ExtractApkIconEntry(context, work, package, entry);
    };
  };
  std::size_t iconSplit = splits.size();
  std::string iconNamed;
  const IconElsewhere iconElsewhere = [&](const std::string& namedEntry) {
    auto [found, at] = FirstFromDensitySplits(context, bundle, splits, rasterOf(namedEntry));
    iconSplit = at;
    iconNamed = namedEntry;
    return std::move(found);
  };
  const EntryElsewhere entryElsewhere = [&](const std::string& entry) {
    return FirstFromDensitySplits(context, bundle, splits, [&](const WorkFolder& work, const std::string& package) {
      return ExtractApkIconEntry(context, work, package, entry);
    }).first;
  };
  Bytes icon = ExtractApkIcon(context, basePackage, iconElsewhere, entryElsewhere);
  if (icon.empty() || iconSplit == splits.size()) return icon;
  // The icon came from a split: the same icon in the other density splits
  // joins it as an icon group. Those are read in place, quietly: a file
  // refused there only stays out of the group.
  const TakeFromSplit otherDensity = [&](const WorkFolder& work, const std::string& package) {
    const std::string entry = ChooseRasterIcon(ListZipNames(package), iconNamed);
    return entry.empty() ? Bytes() : ReadIconEntriesInPlace(context, work, package, {entry}, kMaxDensityEntryBytes).front();
  };
  std::vector<Bytes> others;
  for (std::size_t i = 0; i < splits.size() && others.size() < kMaxDensityEntries && ImportGoesOn(); ++i) {
    if (i != iconSplit) others.push_back(FromDensitySplit(context, bundle, splits[i], otherDensity));
  }
  return DensityIconGroup(std::move(icon), others);
}
