#include "web/ExtensionIcon_win.h"

#include <string_view>

#include "draw/IconFileForms.h"
#include "support/FileIo_win.h"
#include "support/TextScan.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "web/ExtensionManifest.h"

namespace {

const ArchiveEntry* Find(const std::vector<ArchiveEntry>& entries, std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  for (const ArchiveEntry& entry : entries) {
    if (entry.path == path && !entry.symbolicLink) return &entry;
  }
  return nullptr;
}

}  // namespace

Bytes ExtractExtensionIcon(const PipelineContext& context, const std::string& path) {
  // A .crx must start as one; the ZIP after its header is 7-Zip's to find.
  if (EqualsIgnoringAsciiCase(path.substr(path.size() < 4 ? 0 : path.size() - 4), ".crx") &&
      !IsCrxHeader(ReadFileStart(path, 8))) {
    context.report(IconReason::Damaged);
    return {};
  }
  // Names in the manifest are UTF-8, as the listing is kept.
  const ArchiveSource zip{path, "-tzip", EntryText::Utf8};
  const std::vector<ArchiveEntry> entries = ListArchive(context, zip);
  const ArchiveEntry* manifest = Find(entries, "manifest.json");
  if (!manifest) return {};
  const Bytes json = ReadArchiveEntry(context, zip, *manifest, kMaxExtensionManifestBytes);
  for (const std::string& name : ExtensionIconPaths(AsText(json))) {
    const ArchiveEntry* entry = Find(entries, name);
    if (!entry) continue;
    Bytes icon = IconFileAsPng(
        IconFileFormOf(name), kMaxReadBytes,
        [&](std::uint64_t maxBytes) { return ReadArchiveEntry(context, zip, *entry, maxBytes); }, context.drawSide);
    if (!icon.empty()) return icon;
  }
  return {};
}
