#include "web/ExtensionIcon_win.h"

#include <optional>
#include <string_view>
#include <vector>

#include "draw/IconFileForms.h"
#include "support/FileIo_win.h"
#include "support/TextScan.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/ZipDirectory.h"
#include "web/ExtensionManifest.h"

namespace {

const ZipDirectoryEntry* Find(const std::vector<ZipDirectoryEntry>& entries, std::string_view path) {
  for (const ZipDirectoryEntry& entry : entries) {
    if (entry.name == path && !entry.symbolicLink) return &entry;
  }
  return nullptr;
}

// The ZIP inside the file: all of an .xpi, what follows a .crx's header.
std::optional<ByteSpan> ExtensionZip(const std::string& path, ByteSpan file) {
  if (!EqualsIgnoringAsciiCase(path.substr(path.size() < 4 ? 0 : path.size() - 4), ".crx")) return file;
  const std::optional<std::size_t> offset = CrxZipOffset(file);
  if (!offset) return std::nullopt;
  return file.subspan(*offset);
}

}  // namespace

Bytes ExtractExtensionIcon(const PipelineContext& context, const std::string& path) {
  // The archive is read where it lies, entry by entry, with no tool run: a
  // manifest naming many icons, each refused in turn, costs no more than
  // reading them.
  const FileView file(path);
  const std::optional<ByteSpan> zip = ExtensionZip(path, file.bytes());
  const std::optional<std::vector<ZipDirectoryEntry>> entries = zip ? ReadZipDirectory(*zip) : std::nullopt;
  if (!entries) {
    context.report(IconReason::Damaged);
    return {};
  }
  const ZipDirectoryEntry* manifest = Find(*entries, "manifest.json");
  const std::optional<Bytes> json = manifest ? ReadZipEntry(*zip, *manifest, kMaxExtensionManifestBytes) : std::nullopt;
  if (!json) return {};
  // Names in the manifest are UTF-8, as ZIP entries' are kept.
  SvgRefused firstRefused;
  for (const std::string& name : ExtensionIconPaths(AsText(*json))) {
    const ZipDirectoryEntry* entry = Find(*entries, name);
    if (!entry) continue;
    SvgRefused refused;
    Bytes icon = IconFileAsPng(
        IconFileFormOf(name), kMaxReadBytes,
        [&](std::uint64_t maxBytes) { return ReadZipEntry(*zip, *entry, maxBytes).value_or(Bytes()); },
        context.drawSide, &refused, ImportGoesOn);
    if (!icon.empty() || refused.why == SvgRefusal::Cancelled) return icon;
    if (firstRefused.why == SvgRefusal::None) firstRefused = std::move(refused);
  }
  // Every icon named was refused: the first SVG one says why.
  ReportSvgRefusal(context, firstRefused);
  return {};
}
