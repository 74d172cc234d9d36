#include "windows/MsixIcon_win.h"

#include <windows.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/Extraction_win.h"
#include "tools/HelperTools.h"
#include "windows/AppxIconChoice.h"
#include "windows/AppxManifest.h"

namespace {

constexpr char kManifestEntry[] = "AppxManifest.xml";
constexpr char kBundleManifestEntry[] = "AppxMetadata\\AppxBundleManifest.xml";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string_view AsText(const Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::uint64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Packages and bundles are ZIP archives: -tzip keeps 7-Zip's readers of
// every other format out of reach of a crafted file.
constexpr char kZipOnly[] = "-tzip ";

// The package's entries. The listing stays UTF-8, the text the manifest's
// names are in; 7-Zip prints the names as stored, escapes and all.
std::vector<ArchiveEntry> ListPackage(const PipelineContext& context, const std::string& package) {
  const std::string arguments = std::string("l ") + kZipOnly + "-slt -sccUTF-8 " + Quoted(package);
  return ParseArchiveListing(RunConsoleCommand(context.toolPath(kArchiveTool), arguments));
}

// The stored name in the program's narrow text, and the file name 7-Zip
// writes it under; both empty when the name fails the guard.
struct EntryNames {
  std::string stored, file;
};
EntryNames NamesOf(const ArchiveEntry& entry) {
  const std::string stored = ToolTextToNarrow(entry.path);
  const std::string file = ExtractedName(stored, "\\");
  if (file.empty()) return {};
  return {stored, file};
}

// "e" drops the entry's folders; the entry's children are excluded, in case
// the package also uses its name as a folder; -aos writes an entry stored
// twice once, with no question asked of a tool that has no input.
std::string ExtractionArguments(const std::string& package, const std::string& stored, const WorkFolder& work) {
  return std::string("e ") + kZipOnly + "-sccUTF-8 -aos " + Quoted("-o" + work.path()) + " " + Quoted(package) +
         " " + Quoted(stored) + " " + Quoted("-x!" + stored + "\\*");
}

// The entry's bytes, extracted into the work folder; empty when there is no
// entry, the listing gives it more than maxSize bytes (it is then never
// written out), or its name fails the guard.
Bytes ExtractEntryBytes(const PipelineContext& context, const std::string& package, const ArchiveEntry* entry,
                        const WorkFolder& work, std::uint64_t maxSize) {
  if (!entry || entry->size > maxSize) return {};
  const EntryNames names = NamesOf(*entry);
  if (names.file.empty()) return {};
  return RunExtraction(context, kArchiveTool, ExtractionArguments(package, names.stored, work), work, names.file);
}

// The logo resource names of the package's manifest, which is read in a
// work folder of its own: a logo may carry the manifest's file name.
std::vector<std::string> ManifestLogoNames(const PipelineContext& context, const std::string& package,
                                           const std::vector<ArchiveEntry>& entries) {
  const WorkFolder work(context.runDirectory);
  const Bytes manifest =
      ExtractEntryBytes(context, package, FindPackageEntry(entries, kManifestEntry), work, kMaxAppxManifestBytes);
  return AppxLogoNames(AsText(manifest));
}

Bytes PackageIcon(const PipelineContext& context, const std::string& package) {
  const std::vector<ArchiveEntry> entries = ListPackage(context, package);
  const std::vector<std::string> logoNames = ManifestLogoNames(context, package, entries);
  const WorkFolder work(context.runDirectory);
  return ExtractEntryBytes(context, package, ChooseAppxIconEntry(entries, logoNames), work, kMaxReadBytes);
}

}  // namespace

Bytes ExtractMsixIcon(const PipelineContext& context, const std::string& packagePath) {
  EndToolRun(kArchiveTool);
  return PackageIcon(context, packagePath);
}

Bytes ExtractMsixBundleIcon(const PipelineContext& context, const std::string& bundlePath) {
  EndToolRun(kArchiveTool);
  const std::vector<ArchiveEntry> entries = ListPackage(context, bundlePath);
  const WorkFolder work(context.runDirectory);
  const Bytes manifest = ExtractEntryBytes(context, bundlePath, FindPackageEntry(entries, kBundleManifestEntry), work,
                                           kMaxAppxManifestBytes);
  const ArchiveEntry* package = FindPackageEntry(entries, ChooseBundlePackage(AsText(manifest)));
  // A bundle stores its packages whole, their files being compressed
  // already: one listed at more than twice the bundle's size would inflate
  // from a crafted stream, and is never written out.
  if (!package || package->size > 2 * FileSize(bundlePath)) return {};
  const EntryNames names = NamesOf(*package);
  if (names.file.empty() || work.path().empty()) return {};
  // The tool runs in the run directory: a work folder that is a process's
  // current folder could not be removed until Wine reports it gone.
  RunConsoleCommand(context.toolPath(kArchiveTool), ExtractionArguments(bundlePath, names.stored, work),
                    context.runDirectory);
  return PackageIcon(context, work.file(names.file));
}
