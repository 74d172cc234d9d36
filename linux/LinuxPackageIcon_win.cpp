#include "linux/LinuxPackageIcon_win.h"

#include <string_view>
#include <vector>

#include "draw/IconFileForms.h"
#include "image/ImageFormat.h"
#include "linux/AppImage.h"
#include "linux/LinuxIconChoice.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

namespace {

// A file tree 7-Zip lists, and reads entry by entry.
class Tree {
 public:
  Tree(const PipelineContext& context, ArchiveSource source)
      : context_(context), source_(std::move(source)), entries_(ListArchive(context, source_)), tree_(entries_) {}

  // The file at the package path, links followed inside the package; empty
  // when it is missing, too large, or a link leads out or too far.
  Bytes read(std::string path, std::uint64_t maxBytes) const {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
      const ArchiveEntry* entry = tree_.find(path);
      if (!entry) return {};
      if (!entry->symbolicLink) return ReadArchiveEntry(context_, source_, *entry, maxBytes);
      std::string target = entry->linkTarget;
      if (target.empty()) {  // a SquashFS link's bytes are its target
        const Bytes stored = ReadArchiveEntry(context_, source_, *entry, 4096);
        target.assign(stored.begin(), stored.end());
      }
      path = LinkDestination(path, target);
      if (path.empty()) {
        context_.report(IconReason::Refused);
        return {};
      }
    }
    return {};
  }

  // The icon the first application desktop entry in folder names, as PNG:
  // the first of its files that is a PNG, an SVG document (compressed or
  // not) the drawing model draws whole, or an XPM image.
  // When the entry names an icon the package does not hold, the reason says
  // so and names it: an icon of the desktop's theme, or one another package
  // (the application's -data or -common sibling, as a rule) holds.
  Bytes iconByDesktopEntry(std::string_view folder, std::string_view packageName) const {
    std::string missing;
    for (const ArchiveEntry* file : tree_.desktopFiles(folder, packageName)) {
      const DesktopEntry desktop = ReadDesktopEntry(AsText(read(PackagePath(file->path), kMaxDesktopFileBytes)));
      if (!desktop.application || desktop.hidden) continue;
      const std::vector<std::string> paths = tree_.iconPaths(desktop.icon);
      if (paths.empty() && missing.empty() && desktop.icon.find('/') == std::string::npos) missing = desktop.icon;
      for (const std::string& path : paths) {
        Bytes icon = IconFileAsPng(IconFileFormOf(path), kMaxReadBytes,
                                   [&](std::uint64_t maxBytes) { return read(path, maxBytes); }, context_.drawSide);
        if (!icon.empty()) return icon;
      }
    }
    if (!missing.empty()) context_.report(IsThemeIconName(missing) ? IconReason::ThemeIcon : IconReason::IconElsewhere, missing);
    return {};
  }

  bool empty() const { return entries_.empty(); }

 private:
  const PipelineContext& context_;
  ArchiveSource source_;
  std::vector<ArchiveEntry> entries_;
  PackageTree tree_;
};

// The package's data archive, unpacked into the work folder, read as type.
Bytes InnerArchiveIcon(const PipelineContext& context, const ArchiveSource& package, const char* type,
                       const std::string& packageName) {
  const WorkFolder work(context.runDirectory);
  const std::string inner = PlaceInnerArchive(context, package, kMaxInnerArchiveBytes, work, "data");
  if (inner.empty()) return {};
  const Tree tree(context, {inner, type, EntryText::Narrow});
  return tree.iconByDesktopEntry("usr/share/applications", packageName);
}

}  // namespace

Bytes ExtractDebIcon(const PipelineContext& context, const std::string& packagePath) {
  EndToolRun(kArchiveTool);
  // "*.ar": the ar archive, then its main item (data.tar.*) through
  // whichever decompressor it needs.
  return InnerArchiveIcon(context, {packagePath, "-t*.ar", EntryText::Narrow}, "-ttar",
                          DebPackageName(FileNameOf(packagePath, SystemLeadByte)));
}

Bytes ExtractRpmIcon(const PipelineContext& context, const std::string& packagePath) {
  EndToolRun(kArchiveTool);
  return InnerArchiveIcon(context, {packagePath, "-t*.rpm", EntryText::Narrow}, "-tcpio",
                          RpmPackageName(FileNameOf(packagePath, SystemLeadByte)));
}

Bytes ExtractAppImageIcon(const PipelineContext& context, const std::string& imagePath) {
  EndToolRun(kArchiveTool);
  const FileView file(imagePath);
  const ByteSpan bytes = file.bytes();
  const std::optional<std::uint64_t> offset = AppImageImageOffset(bytes.subspan(0, std::min(bytes.size(), kElfHeaderBytes)), bytes.size());
  const std::optional<std::uint64_t> size =
      offset ? SquashFsImageSize(bytes.subspan(*offset, std::min<std::uint64_t>(bytes.size() - *offset, kSquashFsSuperblockBytes)))
             : std::nullopt;
  if (!size || *size > bytes.size() - *offset || *size > kMaxInnerArchiveBytes) {
    context.report(IconReason::Damaged);
    return {};
  }
  const WorkFolder work(context.runDirectory);
  const std::string image = work.file("image");
  if (work.path().empty() || !SpendWrittenBytes(*size) || !WriteFileAtomically(image, bytes.subspan(*offset, *size))) {
    context.report(IconReason::Damaged);
    return {};
  }
  const Tree tree(context, {image, "-tSquashFS", EntryText::Narrow});
  Bytes icon = tree.read(".DirIcon", kMaxReadBytes);
  if (SniffImageFormat(icon) == ImageFormat::Png) return icon;
  return tree.iconByDesktopEntry("", "");
}

Bytes ExtractSnapIcon(const PipelineContext& context, const std::string& snapPath) {
  EndToolRun(kArchiveTool);
  const Tree tree(context, {snapPath, "-tSquashFS", EntryText::Narrow});
  Bytes icon = tree.read("meta/gui/icon.png", kMaxReadBytes);
  if (SniffImageFormat(icon) == ImageFormat::Png) return icon;
  return tree.iconByDesktopEntry("meta/gui", "");
}
