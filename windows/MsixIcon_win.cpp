#include "windows/MsixIcon_win.h"

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "windows/AppxIconChoice.h"
#include "windows/AppxManifest.h"

namespace {

constexpr char kManifestEntry[] = "AppxManifest.xml";
constexpr char kBundleManifestEntry[] = "AppxMetadata\\AppxBundleManifest.xml";

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  const std::wstring wide = ExtendedLengthPath(path);
  if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Packages and bundles are ZIP archives: -tzip keeps 7-Zip's readers of
// every other format out of reach of a crafted file. Paths stay UTF-8, the
// text the manifest's names are in; 7-Zip prints them as stored, escapes
// and all.
ArchiveSource PackageSource(const std::string& path) { return {path, "-tzip", EntryText::Utf8}; }

// The entry's bytes; empty when there is no entry.
Bytes ReadEntry(const PipelineContext& context, const ArchiveSource& package, const ArchiveEntry* entry,
                std::uint64_t maxBytes) {
  return entry ? ReadArchiveEntry(context, package, *entry, maxBytes) : Bytes();
}

// The logo resource names of the package's manifest.
std::vector<std::string> ManifestLogoNames(const PipelineContext& context, const ArchiveSource& package,
                                           const std::vector<ArchiveEntry>& entries) {
  const Bytes manifest =
      ReadEntry(context, package, FindPackageEntry(entries, kManifestEntry), kMaxAppxManifestBytes);
  return AppxLogoNames(AsText(manifest));
}

Bytes PackageIcon(const PipelineContext& context, const std::string& packagePath) {
  const ArchiveSource package = PackageSource(packagePath);
  const std::vector<ArchiveEntry> entries = ListArchive(context, package);
  const std::vector<std::string> logoNames = ManifestLogoNames(context, package, entries);
  return ReadEntry(context, package, ChooseAppxIconEntry(entries, logoNames), kMaxReadBytes);
}

}  // namespace

Bytes ExtractMsixIcon(const PipelineContext& context, const std::string& packagePath) {
  return PackageIcon(context, packagePath);
}

Bytes ExtractMsixBundleIcon(const PipelineContext& context, const std::string& bundlePath) {
  const ArchiveSource bundle = PackageSource(bundlePath);
  const std::vector<ArchiveEntry> entries = ListArchive(context, bundle);
  const Bytes manifest =
      ReadEntry(context, bundle, FindPackageEntry(entries, kBundleManifestEntry), kMaxAppxManifestBytes);
  const ArchiveEntry* package = FindPackageEntry(entries, ChooseBundlePackage(AsText(manifest)));
  if (!package) return {};
  // A bundle stores its packages whole, their files being compressed
  // already: one listed at more than twice the bundle's size would inflate
  // from a crafted stream, and is never written out.
  const WorkFolder work(context.runDirectory);
  const std::string placed =
      PlaceArchiveEntry(context, bundle, *package, 2 * FileSize(bundlePath), work, "package.msix");
  return placed.empty() ? Bytes() : PackageIcon(context, placed);
}
