#include "linux/LinuxPackageIcon_win.h"

#include <functional>
#include <string_view>
#include <vector>

#include "draw/IconFileForms.h"
#include "image/ImageFormat.h"
#include "linux/AppImage.h"
#include "linux/LinuxIconChoice.h"
#include "linux/PackagePass.h"
#include "linux/PackageRelations.h"
#include "support/FileIo_win.h"
#include "support/TextCodec_win.h"
#include "support/TextScan.h"
#include "tools/ArchiveEntry_win.h"
#include "tools/ConsoleRunner_win.h"
#include "tools/HelperTools.h"
#include "tools/WorkFolder_win.h"

namespace {

// A package's file tree, and a way to read a file of it.
class Tree {
 public:
  using EntryReader = std::function<Bytes(const ArchiveEntry& entry, std::uint64_t maxBytes)>;
  Tree(const PipelineContext& context, std::vector<ArchiveEntry> entries, EntryReader readEntry)
      : context_(context), entries_(std::move(entries)), tree_(entries_), readEntry_(std::move(readEntry)) {}

  // The file at the package path, links followed inside the package; empty
  // when it is missing, too large, or a link leads out or too far.
  Bytes read(std::string path, std::uint64_t maxBytes) const {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
      const ArchiveEntry* entry = tree_.find(path);
      if (!entry) return {};
      if (!entry->symbolicLink) return readEntry_(*entry, maxBytes);
      std::string target = entry->linkTarget;
      if (target.empty()) {  // a SquashFS link's bytes are its target
        const Bytes stored = readEntry_(*entry, 4096);
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
  // not) the drawing model draws whole, or an XPM image. Entries hidden
  // from menus are passed over.
  // When the entry names an icon the package does not hold, the reason says
  // so and names it: an icon of the desktop's theme, or one another package
  // holds (sibling: the package's data package, when known).
  Bytes iconByDesktopEntry(std::string_view folder, std::string_view packageName, const std::string& sibling = {}) const {
    std::string missing;
    std::size_t shown = 0;
    for (const ArchiveEntry* file : tree_.desktopFiles(folder, packageName)) {
      if (shown == kMaxDesktopFiles) break;
      const DesktopEntry desktop = ReadDesktopEntry(AsText(read(PackagePath(file->path), kMaxDesktopFileBytes)));
      if (!desktop.application || desktop.hidden) continue;
      ++shown;
      const std::vector<std::string> paths = tree_.iconPaths(desktop.icon);
      if (paths.empty() && missing.empty() && desktop.icon.find('/') == std::string::npos) missing = desktop.icon;
      for (const std::string& path : paths) {
        Bytes icon = IconFileAsPng(IconFileFormOf(path), kMaxReadBytes,
                                   [&](std::uint64_t maxBytes) { return read(path, maxBytes); }, context_.drawSide);
        if (!icon.empty()) return icon;
      }
    }
    if (missing.empty()) return {};
    if (IsThemeIconName(missing)) context_.report(IconReason::ThemeIcon, {missing});
    else context_.report(IconReason::IconElsewhere, {missing, sibling});
    return {};
  }

  bool empty() const { return entries_.empty(); }

 private:
  const PipelineContext& context_;
  std::vector<ArchiveEntry> entries_;
  PackageTree tree_;
  EntryReader readEntry_;
};

// A file tree 7-Zip lists, and reads entry by entry.
Tree ToolTree(const PipelineContext& context, const ArchiveSource& source) {
  return Tree(context, ListArchive(context, source), [&context, source](const ArchiveEntry& entry, std::uint64_t maxBytes) {
    return ReadArchiveEntry(context, source, entry, maxBytes);
  });
}

using PackagePass = PassEnd (*)(ByteSpan file, const PassRules& rules, PackageContents& out);

// A .deb or an .rpm, read in one pass that keeps the desktop files and the
// files that may be icons. A file the desktop entry leads to elsewhere (an
// absolute Icon= path) costs one more pass, a few at most.
Bytes PackageIcon(const PipelineContext& context, const std::string& packagePath, PackagePass readPackage,
                  PackageRelations relations) {
  const FileView file(packagePath);
  const PassRules rules{.keep = [](std::string_view path, std::uint64_t) { return MayHoldIcon(path); },
                        .keepGoing = ImportGoesOn,
                        .limits = {.maxPassedBytes = kMaxInnerArchiveBytes, .maxEntryBytes = kMaxReadBytes}};
  PackageContents contents;
  const PassEnd end = readPackage(file.bytes(), rules, contents);
  if (end != PassEnd::Complete) {
    if (end == PassEnd::Damaged) context.report(IconReason::Damaged);
    return {};
  }
  if (!contents.control.empty()) relations = ReadDebControl(contents.control);
  int passesLeft = 3;
  const auto readEntry = [&](const ArchiveEntry& entry, std::uint64_t maxBytes) -> Bytes {
    const std::string path = PackagePath(entry.path);
    auto found = contents.kept.find(path);
    if (found == contents.kept.end() && entry.size <= std::min(maxBytes, kMaxReadBytes) && passesLeft > 0) {
      --passesLeft;
      PassRules one = rules;
      one.keep = [&path](std::string_view candidate, std::uint64_t) { return candidate == path; };
      PackageContents more;
      if (readPackage(file.bytes(), one, more) == PassEnd::Complete && more.kept.count(path))
        found = contents.kept.insert(*more.kept.find(path)).first;
    }
    if (found == contents.kept.end() || found->second.size() > maxBytes) return Bytes();
    return found->second;
  };
  const Tree tree(context, std::move(contents.entries), readEntry);
  return tree.iconByDesktopEntry("usr/share/applications", relations.name, DataSibling(relations));
}

}  // namespace

Bytes ExtractDebIcon(const PipelineContext& context, const std::string& packagePath) {
  EndToolRun(kArchiveTool);
  return PackageIcon(context, packagePath, ReadDebPackage, {.name = DebPackageName(FileNameOf(packagePath, SystemLeadByte))});
}

Bytes ExtractRpmIcon(const PipelineContext& context, const std::string& packagePath) {
  EndToolRun(kArchiveTool);
  const FileView file(packagePath);
  PackageRelations relations = ReadRpmHeader(file.bytes());
  if (relations.name.empty()) relations.name = RpmPackageName(FileNameOf(packagePath, SystemLeadByte));
  return PackageIcon(context, packagePath, ReadRpmPackage, std::move(relations));
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
  const Tree tree = ToolTree(context, {image, "-tSquashFS", EntryText::Narrow});
  Bytes icon = tree.read(".DirIcon", kMaxReadBytes);
  if (SniffImageFormat(icon) == ImageFormat::Png) return icon;
  return tree.iconByDesktopEntry("", "");
}

Bytes ExtractSnapIcon(const PipelineContext& context, const std::string& snapPath) {
  EndToolRun(kArchiveTool);
  const Tree tree = ToolTree(context, {snapPath, "-tSquashFS", EntryText::Narrow});
  Bytes icon = tree.read("meta/gui/icon.png", kMaxReadBytes);
  if (SniffImageFormat(icon) == ImageFormat::Png) return icon;
  return tree.iconByDesktopEntry("meta/gui", "");
}
